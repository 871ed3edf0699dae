#include "copy/Renaming.h"

#include "copy/DeviceNames.h"
#include "i18n/StringTable.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string_view>

namespace tw::copy {

platform::Path automaticName(const platform::Path& target) {
    if (!platform::nameInUse(target))
        return target;
    std::int64_t number = 1;
    return automaticName(target, number, [](const platform::Path& candidate) {
        return platform::nameInUse(candidate);
    });
}

platform::Path automaticName(const platform::Path& target, std::int64_t& number,
                             const std::function<bool(const platform::Path&)>& taken) {
    const platform::Path folder = target.folder();
    const std::string name = target.fileName();
    const std::size_t dot = name.rfind('.');
    const std::string extension = dot == std::string::npos ? std::string() : name.substr(dot);
    const std::string base = name.substr(0, name.size() - extension.size());
    for (;; ++number) {
        std::string digits = std::to_string(number);
        if (digits.size() < 3)
            digits.insert(0, 3 - digits.size(), '0');
        platform::Path candidate = folder / (base + "_" + digits + extension);
        if (!taken(candidate)) {
            ++number;
            return candidate;
        }
    }
}

bool isPlainFileName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of("/\\") == std::string::npos;
}

bool typedNameAcceptable(const platform::Path& targetFolder, const std::string& typedName,
                         const platform::NameRules& rules) {
    return checkTypedName(targetFolder, typedName, rules).refusal == NameRefusal::None;
}

NameCheck checkTypedName(const platform::Path& targetFolder, const std::string& typedName,
                         const platform::NameRules& rules) {
    NameCheck check;
    // A name, not a path: nothing that leaves the target's folder or names a folder.
    if (typedName.empty())
        check.refusal = NameRefusal::Empty;
    else if (typedName == "." || typedName == "..")
        check.refusal = NameRefusal::DotName;
    else if (typedName.find_first_of("/\\") != std::string::npos)
        check.refusal = NameRefusal::Separator;
    if (check.refusal != NameRefusal::None)
        return check;

    if (rules.refusesWindowsCharacters) {
        const std::string safe = deviceSafeName(typedName);
        const auto differs = std::mismatch(typedName.begin(), typedName.end(), safe.begin());
        if (differs.first != typedName.end()) {
            const auto rest = std::string_view(typedName).substr(
                static_cast<std::size_t>(differs.first - typedName.begin()));
            if (rest.find_first_not_of(". ") == std::string_view::npos) {
                check.refusal = NameRefusal::RefusedEnding;
            } else {
                check.refusal = NameRefusal::RefusedCharacter;
                const auto byte = static_cast<unsigned char>(*differs.first);
                char code[8];
                std::snprintf(code, sizeof code, "U+%04X", byte);
                check.character = byte < 0x20 ? std::string(code) : std::string(1, *differs.first);
            }
            return check;
        }
    }
    if (typedName.size() > rules.maxNameBytes) {
        check.refusal = NameRefusal::TooLong;
        check.maxNameBytes = rules.maxNameBytes;
        return check;
    }
    if (platform::nameInUse(targetFolder / typedName))
        check.refusal = NameRefusal::Taken;
    return check;
}

std::string nameRefusalText(const NameCheck& check, const i18n::StringTable& t) {
    std::string reason;
    switch (check.refusal) {
    case NameRefusal::None:
    case NameRefusal::Empty:
        break;
    case NameRefusal::DotName:
        reason = t.StrNameDots;
        break;
    case NameRefusal::Separator:
        reason = t.StrNameSeparator;
        break;
    case NameRefusal::RefusedCharacter:
        reason = t.StrNameCharacter + " \"" + check.character + "\"";
        break;
    case NameRefusal::RefusedEnding:
        reason = t.StrNameEnding;
        break;
    case NameRefusal::TooLong:
        reason = t.StrNameTooLong + " " + std::to_string(check.maxNameBytes);
        break;
    case NameRefusal::Taken:
        reason = t.StrNameTaken;
        break;
    }
    return reason.empty() ? t.StrEnterOtherName : reason + "\n" + t.StrEnterOtherName;
}

} // namespace tw::copy
