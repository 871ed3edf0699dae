#include "platform/FolderListing.h"

#include "platform/FolderStream.h"

#include "platform/FileSystem.h"

#include <memory>

#include <dirent.h>

namespace tw::platform {

std::vector<std::string> folderEntries(const std::string& path) {
    std::vector<std::string> names;
    if (path.empty() || path.find('\0') != std::string::npos)
        return names;
    const FolderStream dir(::opendir(path.c_str()));
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
