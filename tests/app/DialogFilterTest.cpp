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

// The open dialog offers the program's playlist types whatever the table's filter holds:
// patterns in it are not taken.
TEST(DialogFilter, OpenDialogOffersOnlyTheProgramsOwnPatterns) {
    EXPECT_EQ(playlistNameFilters("M3U и PLS плэйлисты|*.m3u;*.pls|Вcе файлы|*.*"),
              (Filters{"M3U и PLS плэйлисты (*.m3u *.m3u8 *.pls *.xspf *.wpl)", "Вcе файлы (*)"}));
    EXPECT_EQ(playlistNameFilters("Run me|*.exe;*.sh|Or me|*.sh"),
              (Filters{"Run me (*.m3u *.m3u8 *.pls *.xspf *.wpl)", "Or me (*)"}));
    EXPECT_EQ(playlistNameFilters("Playlists"),
              (Filters{"Playlists (*.m3u *.m3u8 *.pls *.xspf *.wpl)"}));
}

} // namespace
} // namespace tw::app
