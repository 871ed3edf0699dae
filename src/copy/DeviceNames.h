#pragma once

#include <string>
#include <string_view>

namespace tw::copy {

// The name as a vfat, exFAT or NTFS device takes it: each of : ? * " < > | and each control
// character becomes "_", and so does each dot or space at the end of the name. Any other
// text, other scripts and bytes that are not UTF-8 included, stays as it is.
std::string deviceSafeName(std::string_view name);

// The text with Unicode's full case folding applied (Ł and ł, Σ, ς and σ, ß and ss are one),
// as a case-folding device compares names; text that is not UTF-8 is returned as it is.
std::string caseFolded(std::string_view text);

// True when the two paths are the same text once case is folded (see caseFolded).
bool sameIgnoringCase(std::string_view a, std::string_view b);

} // namespace tw::copy
