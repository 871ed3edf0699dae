#include "copy/Renaming.h"

#include "platform/FileSystem.h"
#include "playlist/PlaylistReader.h"

#include <cstdint>

namespace tw::copy {

std::string automaticName(const std::string& target) {
    const std::string folder = playlist::folderOf(target);
    const std::string name = playlist::fileNameOf(target);
    const std::size_t dot = name.rfind('.');
    const std::string extension = dot == std::string::npos ? std::string() : name.substr(dot);
    const std::string base = name.substr(0, name.size() - extension.size());

    std::string candidate = target;
    for (std::int64_t k = 1; platform::fileExists(candidate); ++k) {
        std::string number = std::to_string(k);
        if (number.size() < 3)
            number.insert(0, 3 - number.size(), '0');
        candidate = folder + "\\" + base + "_" + number + extension;
    }
    return candidate;
}

bool typedNameAcceptable(const std::string& targetFolder, const std::string& typedName) {
    return !typedName.empty() && !platform::fileExists(targetFolder + "\\" + typedName);
}

} // namespace tw::copy
