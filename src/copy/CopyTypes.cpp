#include "copy/CopyTypes.h"

#include <algorithm>
#include <limits>

namespace tw::copy {

GaugeSteps gaugeSteps(std::int64_t positionKB, std::int64_t maximumKB) {
    constexpr std::int64_t top = std::numeric_limits<int>::max();
    maximumKB = std::max<std::int64_t>(maximumKB, 0);
    positionKB = std::clamp<std::int64_t>(positionKB, 0, maximumKB);
    int shift = 0;
    while ((maximumKB >> shift) > top)
        ++shift;
    return GaugeSteps{static_cast<int>(positionKB >> shift), static_cast<int>(maximumKB >> shift)};
}

} // namespace tw::copy
