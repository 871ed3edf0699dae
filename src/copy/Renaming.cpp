#include "copy/Renaming.h"

#include "copy/DeviceNames.h"
#include "platform/FileSystem.h"

#include <cstdint>

namespace tw::copy {

platform::Path automaticName(const platform::Path& target) {
    const platform::Path folder = target.folder();
    const std::string name = target.fileName();
    const std::size_t dot = name.rfind('.');
    const std::string extension = dot == std::string::npos ? std::string() : name.substr(dot);
    const std::string base = name.substr(0, name.size() - extension.size());

    platform::Path candidate = target;
    for (std::int64_t k = 1; platform::fileExists(candidate); ++k) {
        std::string number = std::to_string(k);
        if (number.size() < 3)
            number.insert(0, 3 - number.size(), '0');
        candidate = folder / (base + "_" + number + extension);
    }
    return candidate;
}

bool isPlainFileName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of("/\\") == std::string::npos;
}

bool typedNameAcceptable(const platform::Path& targetFolder, const std::string& typedName,
                         const platform::NameRules& rules) {
    // A name, not a path: nothing that leaves the target's folder or names a folder.
    if (typedName.empty() || typedName == "." || typedName == ".." ||
        typedName.find_first_of("/\\") != std::string::npos)
        return false;
    if (rules.refusesWindowsCharacters && deviceSafeName(typedName) != typedName)
        return false;
    return !platform::fileExists(targetFolder / typedName);
}

} // namespace tw::copy
