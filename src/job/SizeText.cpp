#include "job/SizeText.h"

#include <cstdint>

namespace tw::job {
namespace {

constexpr std::int64_t kUnitLimit = 1000000;
constexpr std::int64_t kUnitStep = 1024;

// Decimal digits grouped in threes from the right with a space, whatever the locale.
std::string groupDigits(std::int64_t value) {
    // The magnitude as unsigned, so that the most negative value needs no special case.
    std::uint64_t magnitude =
        value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    std::string reversed;
    int digits = 0;
    do {
        if (digits > 0 && digits % 3 == 0)
            reversed += ' ';
        reversed += static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
        ++digits;
    } while (magnitude != 0);
    if (value < 0)
        reversed += '-';
    return std::string(reversed.rbegin(), reversed.rend());
}

} // namespace

std::string sizeText(bool hideZero, std::int64_t kb, const i18n::StringTable& table) {
    if (hideZero && kb == 0)
        return {};
    const std::string* unit = &table.StrKB;
    if (kb >= kUnitLimit) {
        kb /= kUnitStep;
        unit = &table.StrMB;
        if (kb >= kUnitLimit) {
            kb /= kUnitStep;
            unit = &table.StrGB;
        }
    }
    return groupDigits(kb) + " " + *unit;
}

} // namespace tw::job
