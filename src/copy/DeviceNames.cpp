#include "copy/DeviceNames.h"

#include <unicode/uchar.h>
#include <unicode/unistr.h>

namespace tw::copy {

namespace {

bool refusedCharacter(char c) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20)
        return true;
    switch (c) {
    case ':':
    case '?':
    case '*':
    case '"':
    case '<':
    case '>':
    case '|':
        return true;
    default:
        return false;
    }
}

} // namespace

std::string deviceSafeName(std::string_view name) {
    std::string safe(name);
    for (char& c : safe) {
        if (refusedCharacter(c))
            c = '_';
    }
    for (auto it = safe.rbegin(); it != safe.rend() && (*it == '.' || *it == ' '); ++it)
        *it = '_';
    return safe;
}

std::string caseFolded(std::string_view text) {
    const icu::UnicodeString unicode = icu::UnicodeString::fromUTF8(
        icu::StringPiece(text.data(), static_cast<std::int32_t>(text.size())));
    std::string back;
    unicode.toUTF8String(back);
    // Bytes that are not UTF-8 name no letter: such a name is compared as it is, rather than
    // with every bad byte read as the same replacement character.
    if (back != text)
        return std::string(text);
    std::string folded;
    icu::UnicodeString(unicode).foldCase(U_FOLD_CASE_DEFAULT).toUTF8String(folded);
    return folded;
}

bool sameIgnoringCase(std::string_view a, std::string_view b) {
    return a == b || caseFolded(a) == caseFolded(b);
}

} // namespace tw::copy
