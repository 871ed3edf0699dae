#include "copy/NumberedNames.h"

#include "copy/DeviceNames.h"

#include <algorithm>

namespace tw::copy {

namespace {

// What an automatic renaming adds to a name: "_" and three digits.
constexpr std::size_t automaticSuffixLength = 4;
// A dot further from the end than this starts no extension: the whole name is a stem.
constexpr std::size_t longestExtension = 16;

// The bytes of the character that starts at text[at]; a byte that starts no UTF-8 sequence
// (or one cut short) stands alone.
std::size_t characterBytes(std::string_view text, std::size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    const std::size_t bytes = lead < 0x80    ? 1
                              : lead >= 0xF0 ? 4
                              : lead >= 0xE0 ? 3
                              : lead >= 0xC0 ? 2
                                             : 1;
    if (at + bytes > text.size())
        return 1;
    for (std::size_t i = 1; i < bytes; ++i) {
        if ((static_cast<unsigned char>(text[at + i]) & 0xC0) != 0x80)
            return 1;
    }
    return bytes;
}

// The units one character of so many bytes takes on the device.
std::size_t characterLength(std::size_t bytes, const platform::NameRules& rules) {
    if (!rules.refusesWindowsCharacters)
        return bytes;
    return bytes == 4 ? 2 : 1; // outside the Basic Multilingual Plane: a surrogate pair
}

// The longest run of whole characters from the start of text that is at most `limit` long.
std::string_view cutToLength(std::string_view text, std::size_t limit,
                             const platform::NameRules& rules) {
    std::size_t at = 0;
    std::size_t length = 0;
    while (at < text.size()) {
        const std::size_t bytes = characterBytes(text, at);
        const std::size_t units = characterLength(bytes, rules);
        if (length + units > limit)
            break;
        length += units;
        at += bytes;
    }
    return text.substr(0, at);
}

} // namespace

std::size_t deviceNameLength(std::string_view name, const platform::NameRules& rules) {
    std::size_t length = 0;
    for (std::size_t at = 0; at < name.size();) {
        const std::size_t bytes = characterBytes(name, at);
        length += characterLength(bytes, rules);
        at += bytes;
    }
    return length;
}

std::string placeNumber(std::int64_t place, std::int64_t count) {
    std::string digits = std::to_string(place);
    const std::size_t width = std::to_string(std::max<std::int64_t>(count, 1)).size();
    if (digits.size() < width)
        digits.insert(0, width - digits.size(), '0');
    return digits;
}

std::string numberedName(const std::string& name, std::int64_t place, std::int64_t count,
                         const platform::NameRules& rules) {
    const std::string prefix = placeNumber(place, count) + " - ";
    std::string numbered = prefix + name;
    if (deviceNameLength(numbered, rules) <= rules.maxNameBytes)
        return numbered;

    const std::size_t dot = name.rfind('.');
    const bool hasExtension =
        dot != std::string::npos && dot > 0 && name.size() - dot <= longestExtension;
    const std::string_view extension =
        hasExtension ? std::string_view(name).substr(dot) : std::string_view();
    const std::string_view stem = std::string_view(name).substr(0, name.size() - extension.size());
    const std::size_t taken = deviceNameLength(prefix, rules) + deviceNameLength(extension, rules) +
                              automaticSuffixLength;
    // A device of very short names keeps at least one character of the stem.
    const std::size_t room = rules.maxNameBytes > taken ? rules.maxNameBytes - taken : 1;
    numbered = prefix + std::string(cutToLength(stem, room, rules)) + std::string(extension);
    return rules.refusesWindowsCharacters ? deviceSafeName(numbered) : numbered;
}

} // namespace tw::copy
