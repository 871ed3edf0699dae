#include "i18n/LanguageFile.h"

#include "TableData.h"
#include "platform/FaultInjection.h"
#include "platform/FileError.h"
#include "support/TempFolder.h"
#include "text/Encoding.h"
#include "text/LineReader.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace tw::i18n {
namespace {

using test::differingFields;
using test::fieldNamed;
using Lines = std::vector<std::string>;

// A program folder with one language file of the given lines, each ended by CR LF.
void writeLanguage(const tw::test::TempFolder& folder, const std::string& name,
                   const Lines& lines) {
    std::string bytes;
    for (const auto& line : lines)
        bytes += line + "\r\n";
    tw::test::writeFile(folder / ("Language/" + name + "/" + name + ".txt"), bytes);
}

// Header lines followed by "entry <n>" for lines 3 to last.
Lines numberedFile(int last) {
    Lines lines = {"Testish", "Tunewagon"};
    for (int n = 3; n <= last; ++n)
        lines.push_back("entry " + std::to_string(n));
    return lines;
}

// A table that carries traces of an earlier language, to show that a load starts afresh.
StringTable usedTable() {
    StringTable table;
    for (int line = 3; line <= 114; ++line)
        table.applyLine(line, "old");
    table.CurrentLanguage = "Old";
    return table;
}

TEST(LanguageFile, MissingFileLeavesBuiltInTextsAndStillSetsTheName) {
    tw::test::TempFolder folder;
    StringTable table = usedTable();
    EXPECT_EQ(loadLanguageFile(table, folder.path(), "Klingon"), LanguageLoad::NoFile);
    EXPECT_EQ(table.CurrentLanguage, "Klingon");
    EXPECT_EQ(differingFields(StringTable{}, table), Lines{});
}

TEST(LanguageFile, MarkerMustMatchExactly) {
    for (const std::string marker : {"tunewagon", "Tunewagon ", " Tunewagon", "TUNEWAGON", ""}) {
        tw::test::TempFolder folder;
        Lines lines = numberedFile(99);
        lines[1] = marker;
        writeLanguage(folder, "Bad", lines);
        StringTable table = usedTable();
        EXPECT_EQ(loadLanguageFile(table, folder.path(), "Bad"), LanguageLoad::NotMarked)
            << "'" << marker << "'";
        EXPECT_EQ(differingFields(StringTable{}, table), Lines{}) << "'" << marker << "'";
    }
}

TEST(LanguageFile, FileOfOneLineIsNotMarked) {
    tw::test::TempFolder folder;
    writeLanguage(folder, "Short", {"Short"});
    StringTable table;
    EXPECT_EQ(loadLanguageFile(table, folder.path(), "Short"), LanguageLoad::NotMarked);
}

TEST(LanguageFile, HeaderOnlyFilePadsReportEntriesASecondTime) {
    tw::test::TempFolder folder;
    writeLanguage(folder, "Empty", {"Empty", "Tunewagon"});
    StringTable table;
    EXPECT_EQ(loadLanguageFile(table, folder.path(), "Empty"), LanguageLoad::Loaded);
    const StringTable builtIn;
    for (const auto& row : test::builtInRows()) {
        if (!test::isReportEntry(row.name))
            continue;
        EXPECT_EQ(table.*fieldNamed(row.name),
                  test::padReport(row.name, test::padReport(row.name, row.text)))
            << row.name;
    }
    EXPECT_EQ(table.StrReportTitle.substr(0, 12), std::string(10, ' ') + "\xD0\x9E");
    const auto changed = differingFields(builtIn, table);
    EXPECT_EQ(changed.size(), 11u);
}

TEST(LanguageFile, FileEndingAfterLine50KeepsBuiltInTextsFrom51On) {
    tw::test::TempFolder folder;
    writeLanguage(folder, "Half", numberedFile(50));
    StringTable table;
    ASSERT_EQ(loadLanguageFile(table, folder.path(), "Half"), LanguageLoad::Loaded);
    for (const auto& row : test::builtInRows()) {
        const std::string words = "entry " + std::to_string(row.line);
        std::string expected;
        if (row.line > 50)
            expected = test::isReportEntry(row.name)
                           ? test::padReport(row.name, test::paddedBuiltIn(row))
                           : test::paddedBuiltIn(row);
        else if (test::isReportEntry(row.name))
            expected = test::padReport(row.name, words);
        else if (row.line >= 17 && row.line <= 19)
            expected = words + " ";
        else if (row.line == 77)
            expected = row.name == "StrErrorCaption" ? words + "..." : words + " Tunewagon !";
        else if (row.line == 20 || row.line == 21)
            continue;
        else
            expected = words;
        EXPECT_EQ(table.*fieldNamed(row.name), expected) << "line " << row.line;
    }
    EXPECT_EQ(table.playlistFilter, "entry 20|*.m3u;*.pls|entry 21|*.*");
}

TEST(LanguageFile, FileEndingAfterLine20LeavesFilterAsThatLine) {
    tw::test::TempFolder folder;
    writeLanguage(folder, "Twenty", numberedFile(20));
    StringTable table;
    ASSERT_EQ(loadLanguageFile(table, folder.path(), "Twenty"), LanguageLoad::Loaded);
    EXPECT_EQ(table.playlistFilter, "entry 20");
    EXPECT_EQ(table.playlistDialogTitle, StringTable{}.playlistDialogTitle);
}

TEST(LanguageFile, EmptyLineGivesEmptyEntryAndLongLineIsTakenWhole) {
    tw::test::TempFolder folder;
    Lines lines = numberedFile(99);
    const std::string longLine = "  " + std::string(300, 'x') + " end  ";
    lines[23] = "";       // line 24: StrAskExit
    lines[29] = "";       // line 30: StrReportTitle
    lines[74] = longLine; // line 75: StrMailNote
    writeLanguage(folder, "Gaps", lines);
    StringTable table;
    ASSERT_EQ(loadLanguageFile(table, folder.path(), "Gaps"), LanguageLoad::Loaded);
    EXPECT_EQ(table.StrAskExit, "");
    EXPECT_EQ(table.StrReportTitle, std::string(27, ' '));
    EXPECT_EQ(table.StrMailNote, longLine);
}

TEST(LanguageFile, OlderFilesOf99And102LinesKeepTheLaterTextsBuiltInAndLinesAfter114AreIgnored) {
    tw::test::TempFolder folder;
    writeLanguage(folder, "Older", numberedFile(99));
    StringTable table = usedTable();
    ASSERT_EQ(loadLanguageFile(table, folder.path(), "Older"), LanguageLoad::Loaded);
    EXPECT_EQ(table.StrRemindLater, "entry 99");
    EXPECT_EQ(table.writePlaylistOption, StringTable{}.writePlaylistOption);
    EXPECT_EQ(table.StrReportPlaylist, StringTable{}.StrReportPlaylist);

    writeLanguage(folder, "Before", numberedFile(102));
    ASSERT_EQ(loadLanguageFile(table, folder.path(), "Before"), LanguageLoad::Loaded);
    EXPECT_EQ(table.StrReportPlaylist, "entry 102");
    EXPECT_EQ(table.StrNameTooLong, StringTable{}.StrNameTooLong);
    EXPECT_EQ(table.StrNameDots, StringTable{}.StrNameDots);

    writeLanguage(folder, "Renaming", numberedFile(107));
    ASSERT_EQ(loadLanguageFile(table, folder.path(), "Renaming"), LanguageLoad::Loaded);
    EXPECT_EQ(table.StrNameDots, "entry 107");
    EXPECT_EQ(table.StrSafelyRemove, StringTable{}.StrSafelyRemove);

    writeLanguage(folder, "Drives", numberedFile(113));
    ASSERT_EQ(loadLanguageFile(table, folder.path(), "Drives"), LanguageLoad::Loaded);
    EXPECT_EQ(table.StrRemoveFailed, "entry 113");
    EXPECT_EQ(table.numberOption, StringTable{}.numberOption);

    Lines lines = numberedFile(114);
    for (int n = 115; n <= 300; ++n)
        lines.push_back("extra " + std::to_string(n));
    writeLanguage(folder, "Long", lines);
    ASSERT_EQ(loadLanguageFile(table, folder.path(), "Long"), LanguageLoad::Loaded);
    EXPECT_EQ(table.StrKB, "entry 3");
    EXPECT_EQ(table.skipSameOption, "entry 101");
    EXPECT_EQ(table.StrReportPlaylist, "entry 102");
    EXPECT_EQ(table.StrNameDots, "entry 107");
    EXPECT_EQ(table.StrRemoveFailed, "entry 113");
    EXPECT_EQ(table.numberOption, "entry 114");
    for (const auto& [name, field] : test::tableFields())
        EXPECT_EQ((table.*field).find("extra"), std::string::npos) << name;
}

TEST(LanguageFile, SwitchingBackToRussianRestoresEveryBuiltInText) {
    tw::test::TempFolder folder;
    writeLanguage(folder, "Full", numberedFile(114));
    StringTable table;
    ASSERT_EQ(loadLanguageFile(table, folder.path(), "Full"), LanguageLoad::Loaded);
    ASSERT_EQ(differingFields(StringTable{}, table).size(), test::tableFields().size());
    EXPECT_EQ(loadLanguageFile(table, folder.path(), "Russian"), LanguageLoad::NoFile);
    EXPECT_EQ(table.CurrentLanguage, "Russian");
    EXPECT_EQ(differingFields(StringTable{}, table), Lines{});
}

TEST(LanguageFile, Windows1251AndUtf8FilesWithTheBuiltInTextsGiveTheBuiltInTable) {
    // The words of each line as a language file holds them: no padding, no label space.
    Lines words = {"Русский", "Tunewagon"};
    for (const auto& row : test::builtInRows()) {
        if (row.name == "StrErrorHeadline")
            continue;
        std::string text = row.text;
        if (row.line >= 17 && row.line <= 19)
            text.pop_back();
        else if (row.name == "StrErrorCaption")
            text.resize(text.size() - 3);
        words.push_back(text);
    }
    ASSERT_EQ(words.size(), 114u);
    Lines cp1251;
    for (const auto& line : words)
        cp1251.push_back(text::utf8ToCp1251(line));
    ASSERT_NE(cp1251[2], words[2]);

    tw::test::TempFolder folder;
    writeLanguage(folder, "Utf", words);
    writeLanguage(folder, "Ansi", cp1251);
    StringTable fromUtf8;
    StringTable fromCp1251;
    ASSERT_EQ(loadLanguageFile(fromUtf8, folder.path(), "Utf"), LanguageLoad::Loaded);
    ASSERT_EQ(loadLanguageFile(fromCp1251, folder.path(), "Ansi"), LanguageLoad::Loaded);
    EXPECT_EQ(differingFields(StringTable{}, fromUtf8), Lines{});
    EXPECT_EQ(differingFields(StringTable{}, fromCp1251), Lines{});
}

TEST(LanguageFile, ByteOrderMarkAndBareLineFeedsDoNotHideTheMarker) {
    tw::test::TempFolder folder;
    tw::test::writeFile(folder / "Language/Bom/Bom.txt", "\xEF\xBB\xBF"
                                                         "Bom\nTunewagon\nKiB\r\n");
    StringTable table;
    ASSERT_EQ(loadLanguageFile(table, folder.path(), "Bom"), LanguageLoad::Loaded);
    EXPECT_EQ(table.StrKB, "KiB");
}

TEST(LanguageFile, NameCannotReachOutsideTheLanguageFolder) {
    tw::test::TempFolder folder;
    // "../Evil" would name <folder>/Language/../Evil/../Evil.txt = <folder>/Evil.txt.
    std::filesystem::create_directories(folder / "Language");
    std::filesystem::create_directories(folder / "Evil");
    tw::test::writeFile(folder / "Evil.txt", "Evil\r\nTunewagon\r\nEVIL\r\n");
    for (const std::string name : {"../Evil", "..\\Evil", "..", ""}) {
        StringTable table;
        EXPECT_EQ(loadLanguageFile(table, folder.path(), name), LanguageLoad::NoFile) << name;
        EXPECT_EQ(table.StrKB, StringTable{}.StrKB) << name;
    }
}

TEST(LanguageFile, UnreadableFileThrowsFileError) {
    tw::test::TempFolder folder;
    writeLanguage(folder, "Locked", numberedFile(10));
    const std::string path = folder / "Language/Locked/Locked.txt";
    for (const auto operation : {platform::FileOperation::Open, platform::FileOperation::Read}) {
        platform::injectFileFault(operation, path, EACCES);
        StringTable table;
        EXPECT_THROW(loadLanguageFile(table, folder.path(), "Locked"), platform::FileError);
        platform::clearFileFaults();
        EXPECT_EQ(table.CurrentLanguage, "Locked");
    }
}

// A line too long to be a text keeps the built-in text; captions the windows shorten
// themselves are kept whole, the filter's descriptions are cut, messages stay at a size a
// message box can show.
TEST(LanguageFile, OverlongLinesKeepBuiltInTextsAndOnlyUnshortenedCaptionsAreCapped) {
    tw::test::TempFolder folder;
    Lines lines = numberedFile(99);
    lines[5] = std::string(100000, 'W');  // line 6: a caption beyond any line
    lines[7] = std::string(300, 'b');     // line 8: a caption too wide for a screen
    lines[8] = std::string(68, 'c');      // line 9: a translator's long caption
    lines[19] = std::string(150, '\xD0'); // line 20: Windows-1251 letters, decoded
    lines[74] = std::string(2000, 'm');   // line 75: a message
    writeLanguage(folder, "Wide", lines);
    StringTable table;
    ASSERT_EQ(loadLanguageFile(table, folder.path(), "Wide"), LanguageLoad::Loaded);
    EXPECT_EQ(table.playlistLabel, StringTable{}.playlistLabel);
    EXPECT_EQ(table.choosePlaylistButton, std::string(300, 'b'));
    EXPECT_EQ(table.chooseDestinationButton, std::string(68, 'c'));
    const std::string filterDescription =
        table.playlistFilter.substr(0, table.playlistFilter.find('|'));
    EXPECT_EQ(filterDescription.size(), 120u) << "60 two-byte letters, none split";
    EXPECT_EQ(table.StrMailNote, std::string(1000, 'm'));
    EXPECT_EQ(table.aboutButton, lines[9]) << "the lines after a long one still count";
}

TEST(LanguageFile, ShippedEnglishFileIsCompleteAndLoads) {
    const std::string programFolder = std::string(TW_SOURCE_DIR) + "/data/program";
    const std::string path = languageFilePath(programFolder, "English");

    text::LineReader reader(path);
    Lines lines;
    std::string line;
    while (reader.next(line))
        lines.push_back(line);
    ASSERT_EQ(lines.size(), 114u);
    EXPECT_EQ(lines[0], "English");
    EXPECT_EQ(lines[1], "Tunewagon");
    for (std::size_t i = 2; i < lines.size(); ++i) {
        EXPECT_FALSE(lines[i].empty()) << "line " << i + 1;
        EXPECT_NE(lines[i].back(), ' ') << "line " << i + 1 << " carries its own padding";
        for (const unsigned char c : lines[i])
            EXPECT_LT(c, 0x80) << "line " << i + 1 << " is not translated";
    }
    std::ifstream raw(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(raw)),
                            std::istreambuf_iterator<char>());
    std::size_t lineFeeds = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n') {
            ++lineFeeds;
            EXPECT_TRUE(i > 0 && bytes[i - 1] == '\r') << "bare line feed at byte " << i;
        }
    }
    EXPECT_EQ(lineFeeds, 114u);

    StringTable table;
    ASSERT_EQ(loadLanguageFile(table, programFolder, "English"), LanguageLoad::Loaded);
    EXPECT_EQ(table.StrKB, "KB");
    EXPECT_EQ(table.playlistFilter, "M3U and PLS playlists|*.m3u;*.pls|All files|*.*");
    EXPECT_EQ(table.StrFreeware, "This program is free.");
    EXPECT_EQ(table.StrReportTitle, "     Copy report..." + std::string(22, ' '));
    EXPECT_EQ(table.StrErrorHeadline, "Error in the program Tunewagon !");
    EXPECT_EQ(table.listCountPrefix, "Number of files in the list: ");
}

TEST(LanguageFile, ShippedHelpPagesAreSelfContainedAndTheirLinksLand) {
    for (const std::string page : {"Help.htm", "Language/English/Help/index.htm"}) {
        const std::string text =
            tw::test::readFile(std::string(TW_SOURCE_DIR) + "/data/program/" + page);
        ASSERT_GT(text.size(), 10000u) << page;
        EXPECT_NE(text.find("<meta charset=\"utf-8\">"), std::string::npos) << page;
        // Nothing is fetched from elsewhere: no scripts, style sheets, pictures or frames.
        for (const std::string outside : {"<script", "<link", "<img", "<iframe", "src=", "url("})
            EXPECT_EQ(text.find(outside), std::string::npos) << page << ": " << outside;
        // Every link inside the page leads to a heading that is there.
        std::size_t links = 0;
        for (std::size_t at = text.find("href=\""); at != std::string::npos;
             at = text.find("href=\"", at + 1)) {
            const std::size_t start = at + 6;
            const std::string target = text.substr(start, text.find('"', start) - start);
            ASSERT_EQ(target.front(), '#') << page << ": " << target;
            EXPECT_NE(text.find("id=\"" + target.substr(1) + "\""), std::string::npos)
                << page << ": " << target;
            ++links;
        }
        EXPECT_GE(links, 10u) << page;
        // The table of language-file lines reaches the last line.
        EXPECT_NE(text.find("<td class=\"n\">99</td>"), std::string::npos) << page;
    }
}

} // namespace
} // namespace tw::i18n
