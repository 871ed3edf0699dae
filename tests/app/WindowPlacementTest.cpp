#include "app/WindowPlacement.h"

#include <gtest/gtest.h>

#include <climits>

namespace tw::app {
namespace {

// Two screens side by side, the primary on the left with a panel along its top.
const ScreenArea primary{0, 30, 1920, 1050};
const ScreenArea second{1920, 0, 1280, 1024};

WindowPosition place(int left, int top) {
    return placeOnScreens(left, top, 560, 420, {primary, second}, primary);
}

TEST(WindowPlacement, PlacesAnyScreenShowsAreKeptAndOthersAreCentredOnThePrimary) {
    EXPECT_EQ(place(130, 120).left, 130);
    EXPECT_EQ(place(2500, 600).left, 2500) << "on the second screen";
    EXPECT_EQ(place(-400, 200).left, -400) << "partly off the left edge, still grabbable";
    const WindowPosition centre{680, 345};
    for (const auto& [left, top] :
         {std::pair{INT_MAX, INT_MAX}, std::pair{INT_MIN, INT_MIN}, std::pair{5000, 100},
          std::pair{100, 1060}, std::pair{100, 10}, std::pair{-540, 200}}) {
        const WindowPosition p = place(left, top);
        EXPECT_EQ(p.left, centre.left) << left << "," << top;
        EXPECT_EQ(p.top, centre.top) << left << "," << top;
    }
    // A window larger than the screen keeps its top left corner on it.
    const WindowPosition big = placeOnScreens(-9999, 0, 4000, 3000, {primary}, primary);
    EXPECT_EQ(big.left, 0);
    EXPECT_EQ(big.top, 30);
}

} // namespace
} // namespace tw::app
