#pragma once

#include <string>
#include <string_view>

namespace tw::copy {

// The name as a vfat, exFAT or NTFS device takes it: each of : ? * " < > | and each control
// character becomes "_", and so does each dot or space at the end of the name. Any other
// text, other scripts and bytes that are not UTF-8 included, stays as it is.
std::string deviceSafeName(std::string_view name);

// True when the two paths are the same text once letters are folded to one case, as a
// case-folding device compares them: Latin, Latin-1, Greek and Cyrillic letters; any other
// byte compares as it is.
bool sameIgnoringCase(std::string_view a, std::string_view b);

} // namespace tw::copy
