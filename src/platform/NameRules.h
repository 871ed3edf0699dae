#pragma once

#include <cstddef>
#include <string>

namespace tw::platform {

// What the file system holding a folder makes of file names, as learnt by trying.
struct NameRules {
    // Names holding : ? * " < > | or control characters are refused (vfat, exFAT, NTFS with
    // Windows names); such a device also refuses a name ending in a dot or a space.
    bool refusesWindowsCharacters = false;
    // Two spellings that differ only in letter case name one file.
    bool foldsCase = false;
    // The longest name, in bytes, that the file system takes (NAME_MAX where nothing is
    // learnt).
    std::size_t maxNameBytes = 255;
};

// Creates probe files in the folder and removes them at once: one under a plain name (whose
// upper-case spelling is then looked up), one under a name holding "?", and plain names of
// growing length up to the longest the folder takes. Where the folder
// takes no file at all nothing can be learnt, and the rules are those of a Linux file system.
NameRules probeNameRules(const std::string& folder);

// The path with links, "." and ".." resolved, spelled as the caller spelled it otherwise;
// empty when it cannot be resolved.
std::string resolvedPath(const std::string& path);

// True when both paths exist on one and the same mounted file system.
bool sameDevice(const std::string& a, const std::string& b);

} // namespace tw::platform
