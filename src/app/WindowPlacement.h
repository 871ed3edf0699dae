#pragma once

#include <vector>

namespace tw::app {

// A rectangle of screen pixels. Wide integers: saved places may be anything up to INT_MAX.
struct ScreenArea {
    long long left = 0;
    long long top = 0;
    long long width = 0;
    long long height = 0;
};

struct WindowPosition {
    int left = 0;
    int top = 0;
};

// Where a window of this size goes when its saved place is (left, top): there when enough of
// it shows on one of the available screens to be seen and dragged (its top edge on that
// screen and a stretch of its width); otherwise centred on the primary screen, as desktop
// programs do with a place no screen shows any more.
WindowPosition placeOnScreens(int left, int top, int width, int height,
                              const std::vector<ScreenArea>& screens, const ScreenArea& primary);

} // namespace tw::app
