#pragma once

#include "platform/NameRules.h"
#include "platform/Path.h"

#include <string>

namespace tw::copy {

// The first free numbered name for a target that already holds a file: the target's folder
// / base name + "_" + counter (at least three digits) + extension, counting from 1 and
// always built from the target itself. A folder under a candidate name does not take it.
platform::Path automaticName(const platform::Path& target);

// Whether the text is a plain file name: not empty, not "." or "..", no "/" or "\".
bool isPlainFileName(const std::string& name);

// Whether a name typed in the rename dialog may be used in the target folder: a plain file
// name (not empty, not "." or "..", no "/" or "\"), which the folder's device takes as it is
// (see deviceSafeName), under which no file exists yet.
bool typedNameAcceptable(const platform::Path& targetFolder, const std::string& typedName,
                         const platform::NameRules& rules = {});

} // namespace tw::copy
