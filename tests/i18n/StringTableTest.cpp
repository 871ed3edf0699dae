#include "i18n/StringTable.h"

#include "TableData.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace tw::i18n {
namespace {

using test::builtInRows;
using test::differingFields;
using test::fieldNamed;

TEST(StringTable, DataFileCoversEveryLineFrom3To114) {
    std::set<int> lines;
    for (const auto& row : builtInRows())
        lines.insert(row.line);
    EXPECT_EQ(lines.size(), 112u);
    EXPECT_EQ(*lines.begin(), 3);
    EXPECT_EQ(*lines.rbegin(), 114);
}

TEST(StringTable, BuiltInTextsMatchToTheCharacterWithReportPadding) {
    const StringTable table;
    for (const auto& row : builtInRows()) {
        if (row.line == 20 || row.line == 21)
            continue;
        EXPECT_EQ(table.*fieldNamed(row.name), test::paddedBuiltIn(row))
            << "line " << row.line << " " << row.name;
    }
    EXPECT_EQ(table.playlistFilter, test::builtInFilter());
    EXPECT_TRUE(table.CurrentLanguage.empty());
}

TEST(StringTable, BuiltInTextsKeepTheirOddCharacters) {
    const StringTable table;
    // The second letter of "Вcе" is the Latin c; the Cyrillic с would be two bytes.
    EXPECT_NE(table.playlistFilter.find("|\xD0\x92"
                                        "c\xD0\xB5 "),
              std::string::npos);
}

TEST(StringTable, EachLineSetsItsOwnEntryAndNoOther) {
    const StringTable builtIn;
    for (int line = 3; line <= 99; ++line) {
        StringTable table;
        const std::string text = "line " + std::to_string(line);
        table.applyLine(line, text);
        std::set<std::string> expectedChanged;
        for (const auto& row : builtInRows()) {
            if (row.line != line)
                continue;
            if (row.line == 20 || row.line == 21) {
                expectedChanged.insert("playlistFilter");
            } else {
                expectedChanged.insert(row.name);
            }
        }
        const auto changed = differingFields(builtIn, table);
        EXPECT_EQ(std::set<std::string>(changed.begin(), changed.end()), expectedChanged)
            << "line " << line;
        for (const auto& name : expectedChanged) {
            if (name == "playlistFilter" || name == "StrErrorCaption" ||
                name == "StrErrorHeadline" || (line >= 17 && line <= 19))
                continue; // the composed entries have tests of their own
            EXPECT_EQ(table.*fieldNamed(name), text) << name;
        }
    }
}

TEST(StringTable, LinesOutsideTheEntriesChangeNothing) {
    StringTable table;
    for (const int line : {-1, 0, 1, 2, 115, 1000})
        table.applyLine(line, "stray");
    EXPECT_TRUE(differingFields(StringTable{}, table).empty());
}

TEST(StringTable, LabelPrefixFromAFileGetsOneSpace) {
    StringTable table;
    table.applyLine(17, "Files:");
    table.applyLine(18, "");
    table.applyLine(19, "Free: ");
    EXPECT_EQ(table.listCountPrefix, "Files: ");
    EXPECT_EQ(table.listSizePrefix, " ");
    EXPECT_EQ(table.freeSpacePrefix, "Free:  ");
}

TEST(StringTable, Line20ReplacesTheFilterAndLine21ExtendsIt) {
    StringTable table;
    table.applyLine(20, "Playlists");
    EXPECT_EQ(table.playlistFilter, "Playlists");
    table.applyLine(21, "All files");
    EXPECT_EQ(table.playlistFilter, "Playlists|*.m3u;*.pls|All files|*.*");
}

TEST(StringTable, FilterLinesCannotBringTheirOwnPatterns) {
    StringTable table;
    table.applyLine(20, "Programs|*.exe;*.sh");
    table.applyLine(21, "Scripts|*.sh|More|*.bat");
    EXPECT_EQ(table.playlistFilter, "Programs|*.m3u;*.pls|Scripts|*.*");
}

TEST(StringTable, Line77SetsCaptionAndHeadline) {
    StringTable table;
    table.applyLine(77, "Program error");
    EXPECT_EQ(table.StrErrorCaption, "Program error...");
    EXPECT_EQ(table.StrErrorHeadline, "Program error Tunewagon !");
}

TEST(StringTable, PaddingWrapsWhatTheEntryHoldsEachTimeItRuns) {
    StringTable table;
    table.applyLine(30, "Report");
    table.applyLine(38, "Cancelled");
    table.applyLine(85, "Missing:");
    table.applyLine(88, "");
    table.padReportEntries();
    EXPECT_EQ(table.StrReportTitle, "     Report" + std::string(22, ' '));
    EXPECT_EQ(table.StrReportCancelled, "     Cancelled" + std::string(20, ' '));
    EXPECT_EQ(table.StrReportMissing, "     Missing: ");
    EXPECT_EQ(table.StrReportAutoRenamed, std::string(6, ' '));
    // Not a report entry: untouched.
    EXPECT_EQ(table.StrReportCaption, StringTable{}.StrReportCaption);

    table.padReportEntries();
    EXPECT_EQ(table.StrReportTitle, "          Report" + std::string(44, ' '));
    EXPECT_EQ(table.StrReportMissing, "          Missing:  ");
}

TEST(StringTable, ResetRestoresEveryEntryAndKeepsTheLanguageName) {
    StringTable table;
    table.CurrentLanguage = "English";
    for (int line = 3; line <= 99; ++line)
        table.applyLine(line, "x");
    table.padReportEntries();
    ASSERT_FALSE(differingFields(StringTable{}, table).empty());
    table.resetToBuiltIn();
    EXPECT_EQ(differingFields(StringTable{}, table), std::vector<std::string>{});
    EXPECT_EQ(table.CurrentLanguage, "English");
}

} // namespace
} // namespace tw::i18n
