#pragma once

#include <string>
#include <vector>

namespace tw::platform {

// The names of every entry of a folder, files and folders alike, in the order the system
// returns them, without "." and "..". Empty when the folder is missing or cannot be read.
std::vector<std::string> folderEntries(const std::string& path);

} // namespace tw::platform
