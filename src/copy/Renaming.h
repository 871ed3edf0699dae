#pragma once

#include <string>

namespace tw::copy {

// The first free numbered name for a target that already holds a file: the target's folder
// + "\" + base name + "_" + counter (at least three digits) + extension, counting from 1
// and always built from the target itself. A folder under a candidate name does not take it.
std::string automaticName(const std::string& target);

// Whether a name typed in the rename dialog may be used in the target folder: it must not
// be empty (that would name the folder itself) and no file may exist under it.
bool typedNameAcceptable(const std::string& targetFolder, const std::string& typedName);

} // namespace tw::copy
