#include "platform/FolderListing.h"

#include "platform/FileSystem.h"

#include <memory>

#include <dirent.h>

namespace tw::platform {

namespace {

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

} // namespace

std::vector<std::string> folderEntries(const std::string& path) {
    std::vector<std::string> names;
    if (path.empty() || path.find('\0') != std::string::npos)
        return names;
    const std::unique_ptr<DIR, DirCloser> dir(::opendir(systemPath(path).c_str()));
    if (!dir)
        return names;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    return names;
}

} // namespace tw::platform
