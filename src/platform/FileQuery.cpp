#include "platform/FileQuery.h"

#include "platform/FileSystem.h"

#include <sys/stat.h>

namespace tw::platform {

std::int64_t regularFileSize(const std::string& path) {
    struct stat st {};
    // A NUL byte would cut the path short in the system call.
    if (path.empty() || path.find('\0') != std::string::npos ||
        ::stat(systemPath(path).c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return -1;
    return static_cast<std::int64_t>(st.st_size);
}

} // namespace tw::platform
