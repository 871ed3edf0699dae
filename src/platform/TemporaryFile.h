#pragma once

#include "platform/File.h"

#include <string>
#include <string_view>

namespace tw::platform {

// A hidden file created next to a target ".<name>.tunewagon-XXXXXX", removed when the object
// goes unless it has been renamed to the target.
class TemporaryFile {
public:
    TemporaryFile() = default;
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    // Creates the file (mode 0600) in the folder, for the target name. Returns 0 or the errno.
    int create(const std::string& folder, const std::string& name);

    int fd() const { return m_handle.get(); }

    // Writes all bytes. Returns 0 or the errno.
    int write(std::string_view bytes);
    // Flushes the data to the device. Returns 0 or the errno.
    int sync();
    // Sets the permission bits (07777). Returns 0 or the errno.
    int setPermissions(unsigned mode);
    const std::string& path() const { return m_path; }

    // Closes the file, so that late write errors show, and renames it to target, replacing
    // what is there. Returns 0 or the errno; on failure the file is still removed later.
    int commitAs(const std::string& target);

private:
    std::string m_path;
    FileHandle m_handle;
    bool m_committed = false;
};

} // namespace tw::platform
