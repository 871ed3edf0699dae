#pragma once

#include <cstdint>
#include <string>

namespace tw::copy {

// "hh:mm:ss" for a millisecond count; each part has at least two digits and the hours have
// no upper bound (3 725 000 ms -> "01:02:05", 360 000 000 ms -> "100:00:00").
std::string elapsedText(std::uint32_t milliseconds);

} // namespace tw::copy
