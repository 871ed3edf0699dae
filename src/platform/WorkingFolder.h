#pragma once

#include "platform/File.h"

#include <cstdint>
#include <memory>
#include <string>

namespace tw::platform {

// A hidden folder of one run directly below the destination, where its files wait for their
// names on file systems that cannot make a file without a name (FAT, exFAT). FAT-like drivers
// put a new entry into the first free slots of its folder and free the old slots on a
// rename: a file that waited next to its target would leave holes there that later names
// fill, so that the folder's entries would no longer follow the order the files were named
// in. From a folder of their own the files reach their targets' folders in naming order.
//
// The folder is ".tunewagon-work-" and 20 random letters and digits (always as long, so that
// the next run's folder takes the slots this one leaves). It is locked (flock) as long as the
// object lives and removed when the object goes. Folders of that form that no live run holds
// (left by a killed run or a power cut) are removed, with the program's files in them, when a
// new one is made; another running copy's folder is never touched. Making and cleaning both
// happen under a lock on the destination itself, so that a folder is never seen between its
// creation and its lock.
class WorkingFolder {
public:
    // Makes a folder in the open destination (root, reached as rootPath) after removing the
    // abandoned ones. Null when no folder could be made and locked there (no locks on that
    // file system, a read-only one, the destination's lock held too long elsewhere): the
    // files then wait next to their targets.
    static std::shared_ptr<WorkingFolder> make(std::shared_ptr<const FileHandle> root,
                                               const std::string& rootPath);
    ~WorkingFolder();
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;

    // The folder's path and an open descriptor of it.
    const std::string& path() const { return m_path; }
    const std::shared_ptr<const FileHandle>& handle() const { return m_handle; }
    std::uint64_t device() const { return m_device; }

private:
    WorkingFolder() = default;

    std::shared_ptr<const FileHandle> m_root;
    std::string m_name;
    std::string m_path;
    std::shared_ptr<const FileHandle> m_handle;
    std::uint64_t m_device = 0;
};

// True when the name has the form of a working folder's.
bool isWorkingFolderName(const std::string& name);

// Removes the working folders directly below the folder that no live run holds, as make()
// does, so that the space a killed run's copies still take is free again before the
// destination's free space is measured. Nothing happens where the folder cannot be opened
// or its lock is held too long elsewhere.
void removeAbandonedWorkingFolders(const std::string& folder);

} // namespace tw::platform
