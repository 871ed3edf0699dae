#pragma once

#include "platform/NameRules.h"
#include "platform/Path.h"

#include <cstddef>
#include <cstdint>
#include <functional>

#include <string>

namespace tw::i18n {
struct StringTable;
}

namespace tw::copy {

// The first free numbered name for a target that already holds a file: the target's folder
// / base name + "_" + counter (at least three digits) + extension, counting from 1 and
// always built from the target itself. A folder under a candidate name does not take it.
platform::Path automaticName(const platform::Path& target);

// As above for a target known to be taken, counting from number (1 at first) and asking
// taken() of each candidate; number is left at the one after the name given, so that the
// next file of that name starts there.
platform::Path automaticName(const platform::Path& target, std::int64_t& number,
                             const std::function<bool(const platform::Path&)>& taken);

// Whether the text is a plain file name: not empty, not "." or "..", no "/" or "\".
bool isPlainFileName(const std::string& name);

// Whether a name typed in the rename dialog may be used in the target folder: a plain file
// name (not empty, not "." or "..", no "/" or "\"), which the folder's device takes as it is
// (see deviceSafeName), under which no file exists yet.
bool typedNameAcceptable(const platform::Path& targetFolder, const std::string& typedName,
                         const platform::NameRules& rules = {});

// The rule a typed name breaks, the first one in this order; None when it may be used.
enum class NameRefusal {
    None,
    Empty,
    DotName,          // "." or ".."
    Separator,        // "/" or "\"
    RefusedCharacter, // a character the device refuses (see deviceSafeName)
    RefusedEnding,    // a dot or a space at the end, on a device that refuses it
    TooLong,          // more bytes than the device takes in one name
    Taken,            // a file exists under the name
};

struct NameCheck {
    NameRefusal refusal = NameRefusal::None;
    std::string character;        // RefusedCharacter: the character, as a reader can see it
    std::size_t maxNameBytes = 0; // TooLong: the device's limit
};

NameCheck checkTypedName(const platform::Path& targetFolder, const std::string& typedName,
                         const platform::NameRules& rules = {});

// The message that refuses a typed name: what rule it breaks, then the request for another.
std::string nameRefusalText(const NameCheck& check, const i18n::StringTable& table);

} // namespace tw::copy
