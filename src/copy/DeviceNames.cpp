#include "copy/DeviceNames.h"

#include <cstdint>

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

// The code point starting at i and the bytes it takes; an invalid sequence is one byte.
std::uint32_t decodeAt(std::string_view text, std::size_t i, std::size_t& length) {
    const auto b0 = static_cast<unsigned char>(text[i]);
    length = 1;
    if (b0 < 0x80)
        return b0;
    const auto continuation = [&](std::size_t k) {
        return i + k < text.size() && (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80;
    };
    if ((b0 & 0xE0) == 0xC0 && continuation(1)) {
        length = 2;
        return ((b0 & 0x1Fu) << 6) | (static_cast<unsigned char>(text[i + 1]) & 0x3Fu);
    }
    // Longer sequences hold no letter folded here: compared byte by byte.
    return 0x110000u + b0;
}

std::uint32_t folded(std::uint32_t c) {
    if (c >= 'A' && c <= 'Z')
        return c + 0x20;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) // Latin-1 capitals
        return c + 0x20;
    if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) // Greek capitals
        return c + 0x20;
    if (c >= 0x410 && c <= 0x42F) // Cyrillic А to Я
        return c + 0x20;
    if (c >= 0x400 && c <= 0x40F) // Ѐ to Џ, Ё among them
        return c + 0x50;
    return c;
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

bool sameIgnoringCase(std::string_view a, std::string_view b) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        std::size_t la = 0;
        std::size_t lb = 0;
        if (folded(decodeAt(a, i, la)) != folded(decodeAt(b, j, lb)))
            return false;
        i += la;
        j += lb;
    }
    return i == a.size() && j == b.size();
}

} // namespace tw::copy
