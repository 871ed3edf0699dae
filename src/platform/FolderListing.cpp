#include "platform/FolderListing.h"

#include "platform/FolderStream.h"

#include "platform/FileSystem.h"

#include <memory>

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace tw::platform {

namespace {

std::vector<std::string> entriesOf(const FolderStream& dir) {
    std::vector<std::string> names;
    if (!dir)
        return names;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    return names;
}

} // namespace

std::vector<std::string> folderEntries(const std::string& path) {
    if (path.empty() || path.find('\0') != std::string::npos)
        return {};
    return entriesOf(FolderStream(::opendir(path.c_str())));
}

std::vector<std::string> folderEntries(int folder) {
    // A stream of its own: the caller's descriptor stays open, and the listing begins at the
    // folder's first entry.
    const int copy = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (copy < 0)
        return {};
    DIR* dir = ::fdopendir(copy);
    if (dir == nullptr) {
        ::close(copy);
        return {};
    }
    return entriesOf(FolderStream(dir));
}

} // namespace tw::platform
