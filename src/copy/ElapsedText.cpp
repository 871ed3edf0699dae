#include "copy/ElapsedText.h"

namespace tw::copy {
namespace {

std::string twoDigits(std::uint32_t value) {
    std::string text = std::to_string(value);
    return value < 10 ? "0" + text : text;
}

} // namespace

std::string elapsedText(std::uint32_t milliseconds) {
    const std::uint32_t seconds = milliseconds / 1000;
    std::uint32_t minutes = seconds / 60;
    const std::uint32_t hours = minutes / 60;
    minutes -= 60 * hours;
    return twoDigits(hours) + ":" + twoDigits(minutes) + ":" + twoDigits(seconds % 60);
}

} // namespace tw::copy
