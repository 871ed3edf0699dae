#pragma once

#include "platform/File.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace tw::platform {

class WorkingFolder;

// A file created in a target's folder that becomes the target when it is committed, and is
// gone when the object goes otherwise. Where the file system allows, it has no name until
// then (O_TMPFILE) and is linked to the target's name, or, when the target is there
// already, renamed over it from a hidden name. Elsewhere it is a hidden file
// ".<name>.tunewagon-" and 20 random letters and digits, renamed to the target: in the run's
// working folder where one is given on the target's file system, else next to the target.
// While the object holds a named file, the file is locked (flock), which tells a later run that
// it is not stale.
class TemporaryFile {
public:
    TemporaryFile() = default;
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    // Creates the file (mode 0600) for the target name in the folder, or, when it has to have
    // a name and the working folder is on the folder's file system, there. Returns 0 or the
    // errno (ENOENT when the folder is not there).
    int create(const std::string& folder, const std::string& name,
               std::shared_ptr<const WorkingFolder> work = {});
    // As above in the folder already open (with the path it was reached by): the target's
    // name is made there, and the folder's path is not looked up again.
    int create(std::shared_ptr<const FileHandle> folderHandle, const std::string& folder,
               const std::string& name, std::shared_ptr<const WorkingFolder> work = {});

    int fd() const { return m_handle.get(); }
    // The device that holds the file.
    std::uint64_t device() const { return m_device; }

    // Writes all bytes. Returns 0 or the errno.
    int write(std::string_view bytes);
    // Flushes the data to the device. Returns 0 or the errno.
    int sync();
    // Sets the permission bits (07777). Returns 0 or the errno.
    int setPermissions(unsigned mode);
    // The hidden name, or empty while the file has none.
    const std::string& path() const { return m_path; }

    // Puts the data written so far on the device. Returns 0 or the errno.
    int flushData();

    // Whether naming the file may take the place of what is at the target.
    enum class Naming { Replace, NewOnly };

    // Gives the file the target's name and closes it so that late write errors show. Returns
    // 0 or the errno; on failure the file is still removed later. Replace puts it in place of
    // whatever is there; NewOnly takes the name only while nothing at all holds it (a file, a
    // folder, a FIFO, a link, dangling or not) and returns EEXIST otherwise, the file kept as
    // it was, so that it can be named again.
    int commitAs(const std::string& target, Naming naming = Naming::Replace);

private:
    int randomName(const std::string& folder, std::string& path) const;
    int createNamed(const std::string& folder);
    int nameForReplacing(const std::string& self);
    // A path in the target's folder or the working folder as that folder's descriptor and a
    // name, where it is held open; else the path itself.
    struct Where {
        int dir;
        std::string name;
    };
    Where where(const std::string& path) const;
    int closeAfterNewName(const Where& target);

    std::string m_folder;
    std::shared_ptr<const FileHandle> m_folderHandle;
    std::shared_ptr<const WorkingFolder> m_work; // where a named file waits, when given
    std::string m_stem;
    std::string m_path;
    FileHandle m_handle;
    std::uint64_t m_device = 0;
    bool m_committed = false;
};

// Appends count random letters and digits (at most 256) to the text, as the hidden names of
// the program's temporary files and working folders end; 0 or the errno.
int appendRandomLetters(std::string& text, std::size_t count);

// True when the name has the form of the program's temporary files.
bool isTemporaryFileName(const std::string& name);

// Removes the program's temporary files in the folder that are certainly abandoned (left by
// a killed copy or a power cut): of the exact form, regular files, not held by a copy of
// this process, not locked by another, and not written to for ten minutes. Returns how many
// were removed.
std::size_t removeStaleTemporaryFiles(const std::string& folder);

} // namespace tw::platform
