#pragma once

#include <memory>

#include <dirent.h>

namespace tw::platform {

// Closes a folder opened for reading its entries.
struct FolderStreamCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

// A folder open for reading its entries, closed when it goes.
using FolderStream = std::unique_ptr<DIR, FolderStreamCloser>;

} // namespace tw::platform
