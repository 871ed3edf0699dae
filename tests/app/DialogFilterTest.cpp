#include "app/DialogFilter.h"

#include <gtest/gtest.h>

namespace tw::app {
namespace {

using Filters = std::vector<std::string>;

TEST(DialogFilter, BuiltInFilterGivesTwoQtFilters) {
    EXPECT_EQ(nameFilters("M3U и PLS плэйлисты|*.m3u;*.pls|Вcе файлы|*.*"),
              (Filters{"M3U и PLS плэйлисты (*.m3u *.pls)", "Вcе файлы (*.*)"}));
}

TEST(DialogFilter, DescriptionWithoutPatternsMatchesEverythingAndEmptyGivesNone) {
    // A language file that ends after the first filter line leaves the description alone.
    EXPECT_EQ(nameFilters("Playlists"), (Filters{"Playlists (*)"}));
    EXPECT_EQ(nameFilters("Lists|;*.m3u;"), (Filters{"Lists (*.m3u)"}));
    EXPECT_TRUE(nameFilters("").empty());
}

} // namespace
} // namespace tw::app
