#include "copy/CopyTypes.h"

#include "platform/FileSystem.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace tw::copy {

void RunProblems::add(RunProblem problem) {
    ++m_total;
    if (m_items.size() >= kept)
        return;
    if (problem.entry.size() > keptBytes) {
        // Cut at a character boundary: never inside a UTF-8 sequence.
        std::size_t end = keptBytes;
        while (end > 0 && (static_cast<unsigned char>(problem.entry[end]) & 0xC0) == 0x80)
            --end;
        problem.entry.resize(end);
        problem.entry += "...";
    }
    m_items.push_back(std::move(problem));
}

std::string sourceKey(const platform::Path& source) {
    // Players' lists name one music folder by different paths (a link to it, the real one).
    std::string resolved = platform::canonicalPath(source.str());
    return resolved.empty() ? platform::absolutePath(source, platform::Path("/")).str() : resolved;
}

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
