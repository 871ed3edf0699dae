#pragma once

#include "platform/File.h"

#include <cerrno>
#include <memory>
#include <string>

namespace tw::platform {

class WorkingFolder;

// A folder below the destination would be reached through a link that leads out of it.
inline constexpr int leavesDestinationError = EXDEV;
// The destination is no longer the folder the run opened (unmounted, removed, replaced).
inline constexpr int destinationGoneError = ENODEV;

// The destination folder of a run, opened once when the run starts and held until it ends.
// Every folder below it is reached from that open folder and never by its path again: links
// inside it that stay inside it are followed, a link that leads out of it is refused, and
// nothing above it, itself included, is ever created. Before a folder is created the
// destination is checked to be still where it was.
class DestinationFolder {
public:
    // Opens the folder; see error() when that failed.
    explicit DestinationFolder(const std::string& path);
    DestinationFolder(const DestinationFolder&) = delete;
    DestinationFolder& operator=(const DestinationFolder&) = delete;

    const std::string& path() const { return m_path; }
    bool isOpen() const { return m_root->isOpen(); }
    int error() const { return m_error; }

    // The folder at the path below the destination (the path as given, with "/"), created
    // with its missing parents. Returns 0 or the errno: leavesDestinationError for a link
    // that leads out, destinationGoneError when the destination has gone, ENOENT when the
    // path is not below the destination.
    int openFolder(const std::string& folder, std::shared_ptr<const FileHandle>& opened);

    // True while the destination's path still names the folder opened at the start.
    bool stillThere() const;

    // Flushes the destination's file system (syncfs), wherever it has gone meanwhile.
    // Returns 0 or the errno.
    int flush() const;

    // Where the run's files wait for their names, made at the first call: a folder of its
    // own below the destination on a file system that cannot make a file without a name
    // (see WorkingFolder), null elsewhere or when none could be made. Held until the last
    // file and this object have let it go, then removed.
    std::shared_ptr<WorkingFolder> workingFolder();

private:
    int openBeneath(const std::string& relative, FileHandle& opened) const;

    std::string m_path;
    std::shared_ptr<FileHandle> m_root;
    int m_error = 0;
    // The last folder opened, kept for the files that follow into it.
    std::string m_lastRelative;
    std::shared_ptr<const FileHandle> m_last;
    std::shared_ptr<WorkingFolder> m_working;
    bool m_workingAsked = false;
};

} // namespace tw::platform
