#pragma once

#include <string>
#include <vector>

namespace tw::platform {

// The names of every entry of a folder, files and folders alike, in the order the system
// returns them, without "." and "..". Empty when the folder is missing or cannot be read.
std::vector<std::string> folderEntries(const std::string& path);
// The same for a folder open as a descriptor, which is left open and where it was.
std::vector<std::string> folderEntries(int folder);

} // namespace tw::platform
