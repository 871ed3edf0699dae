#include "copy/Transliteration.h"

#include <array>

namespace tw::copy {

namespace {

// А..Я (U+0410..U+042F); the small letters а..я (U+0430..U+044F) use the same spelling in
// lower case.
constexpr std::array<std::string_view, 32> kCapitals{
    "A", "B", "V", "G", "D", "E", "Zh", "Z",  "I",  "Y",   "K", "L", "M", "N", "O",  "P",
    "R", "S", "T", "U", "F", "H", "C",  "Ch", "Sh", "Sch", "'", "Y", "'", "E", "Yu", "Ya"};
constexpr std::array<std::string_view, 32> kSmall{
    "a", "b", "v", "g", "d", "e", "zh", "z",  "i",  "y",   "k", "l", "m", "n", "o",  "p",
    "r", "s", "t", "u", "f", "h", "c",  "ch", "sh", "sch", "'", "y", "'", "e", "yu", "ya"};

constexpr char32_t kCapitalYo = 0x0401;
constexpr char32_t kSmallYo = 0x0451;

// The Latin spelling of a code point, or nothing when it is copied as it is.
std::string_view spelling(char32_t c) {
    if (c >= 0x0410 && c <= 0x042F)
        return kCapitals[c - 0x0410];
    if (c >= 0x0430 && c <= 0x044F)
        return kSmall[c - 0x0430];
    if (c == kCapitalYo)
        return "E";
    if (c == kSmallYo)
        return "e";
    return {};
}

} // namespace

std::string transliterateName(std::string_view name) {
    std::string result;
    result.reserve(name.size());
    std::size_t i = 0;
    while (i < name.size()) {
        const auto lead = static_cast<unsigned char>(name[i]);
        if (lead == ' ') {
            result += '_';
            ++i;
            continue;
        }
        // Every letter of the table is a two-byte sequence with the lead byte 0xD0 or 0xD1.
        if ((lead == 0xD0 || lead == 0xD1) && i + 1 < name.size()) {
            const auto trail = static_cast<unsigned char>(name[i + 1]);
            if ((trail & 0xC0) == 0x80) {
                const char32_t c = (char32_t{lead} & 0x1F) << 6 | (char32_t{trail} & 0x3F);
                const std::string_view latin = spelling(c);
                if (!latin.empty()) {
                    result += latin;
                    i += 2;
                    continue;
                }
            }
        }
        result += name[i];
        ++i;
    }
    return result;
}

} // namespace tw::copy
