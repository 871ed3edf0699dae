#include "app/WindowPlacement.h"

#include <algorithm>

namespace tw::app {

namespace {

// The part of the window that must show: its top strip (the title bar is above it, a little
// of the window's own top is enough to grab it) and a stretch of its width.
constexpr long long kVisibleWidth = 100;
constexpr long long kVisibleTop = 40;

bool showsOn(const ScreenArea& window, const ScreenArea& screen) {
    const long long overlapLeft = std::max(window.left, screen.left);
    const long long overlapRight = std::min(window.left + window.width, screen.left + screen.width);
    const bool topOnScreen =
        window.top >= screen.top &&
        window.top + std::min(window.height, kVisibleTop) <= screen.top + screen.height;
    return topOnScreen && overlapRight - overlapLeft >= std::min(window.width, kVisibleWidth);
}

} // namespace

WindowPosition placeOnScreens(int left, int top, int width, int height,
                              const std::vector<ScreenArea>& screens, const ScreenArea& primary) {
    const ScreenArea window{left, top, std::max(width, 1), std::max(height, 1)};
    for (const ScreenArea& screen : screens) {
        if (showsOn(window, screen))
            return {left, top};
    }
    // A window larger than the screen keeps its top left corner on it.
    const long long x = primary.left + std::max(0LL, (primary.width - window.width) / 2);
    const long long y = primary.top + std::max(0LL, (primary.height - window.height) / 2);
    return {static_cast<int>(x), static_cast<int>(y)};
}

} // namespace tw::app
