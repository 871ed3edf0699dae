#include "cli/CopyCommand.h"

#include "FakeConsole.h"
#include "i18n/StringTable.h"
#include "job/CopyReport.h"
#include "platform/FileSystem.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace {

using tw::cli::CliOptions;
using tw::cli::runCopyCommand;
using tw::test::FakeConsole;
using tw::test::TempFolder;
using tw::test::writeFile;

// A language file whose line n (3..99) reads "L<n>".
std::string languageFile() {
    std::string text = "Test\r\nTunewagon\r\n";
    for (int line = 3; line <= 99; ++line) {
        text += "L" + std::to_string(line) + "\r\n";
    }
    return text;
}

class CopyCommand : public ::testing::Test {
protected:
    void SetUp() override {
        writeFile(program / "Language/Test/Test.txt", languageFile());
        writeFile(work / "music/a.mp3", std::string(3000, 'a'));
        writeFile(work / "list.m3u", "#EXTM3U\nmusic/a.mp3\n");
        writeFile(work / "out/.keep", "");
        options.playlists = {"list.m3u"};
        options.destination = "out";
        options.copy.keepStructure = false;
        console.isInteractive = false;
    }

    int run() { return runCopyCommand(options, program.path(), work.path(), console, report); }

    TempFolder program;
    TempFolder work;
    CliOptions options;
    FakeConsole console;
    std::string report;
};

TEST_F(CopyCommand, RelativeOperandsAreTakenAgainstTheCurrentFolder) {
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(tw::test::readFile(work / "out/a.mp3"), std::string(3000, 'a'));
    const tw::i18n::StringTable builtIn;
    EXPECT_EQ(report.rfind(builtIn.StrReportTitle + "\n", 0), 0u) << "built-in Russian";
    EXPECT_EQ(report.find('\r'), std::string::npos);
}

TEST_F(CopyCommand, LanguageOptionLoadsTheProgramFoldersLanguageFile) {
    options.language = "Test";
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(report.rfind("     L30" + std::string(22, ' ') + "\n", 0), 0u) << report;
    EXPECT_NE(report.find("     L32 1" + std::string(20, ' ')), std::string::npos);
}

TEST_F(CopyCommand, SettingsLanguageKeyIsTheDefaultLanguage) {
    writeFile(program / "Settings.ini", "[Settings]\r\nLanguage=Test\r\n");
    options.destination = "missing-folder";
    EXPECT_EQ(run(), 2);
    EXPECT_TRUE(console.written.starts_with("L41\n")) << "StrBadFolder in the chosen language";
}

TEST_F(CopyCommand, UnknownLanguageNamedOnTheCommandLineIsRefused) {
    options.language = "Klingon";
    EXPECT_EQ(run(), 2);
    EXPECT_NE(console.written.find("Klingon"), std::string::npos);
    EXPECT_TRUE(report.empty());
    EXPECT_FALSE(tw::platform::fileExists(work / "out/a.mp3"));
}

TEST_F(CopyCommand, RefusedDestinationIsNamedWithWhatIsWrongWithIt) {
    const tw::i18n::StringTable t;
    const std::pair<const char*, std::string> cases[] = {
        {"nowhere", work / "nowhere: no such folder"},
        {"music/a.mp3", work / "music/a.mp3: not a folder"},
        {"/proc", "/proc: not on a local drive (proc)"}};
    for (const auto& [dest, why] : cases) {
        console.written.clear();
        options.destination = dest;
        EXPECT_EQ(run(), 2) << dest;
        EXPECT_EQ(console.written, (dest[0] == '/' ? t.StrLocalOnly : t.StrBadFolder) +
                                       "\ntunewagon-copy: " + why + "\n");
    }
}

TEST_F(CopyCommand, PlaylistWithoutExistingFilesOrUnreadableIsRefused) {
    const tw::i18n::StringTable t;
    writeFile(work / "empty.m3u", "#EXTM3U\nmissing.mp3\n");
    options.playlists = {"empty.m3u"};
    EXPECT_EQ(run(), 2);
    EXPECT_EQ(console.written, t.StrNoFiles + "\n");

    console.written.clear();
    options.playlists = {"no-such-list.m3u"};
    EXPECT_EQ(run(), 2);
    EXPECT_EQ(console.written.rfind(t.StrFileError, 0), 0u);
    EXPECT_TRUE(report.empty());
}

TEST_F(CopyCommand, SeveralPlaylistsAreOneRunWithOneReportAndAPlaylistForEach) {
    writeFile(work / "music/b.mp3", std::string(2000, 'b'));
    writeFile(work / "other/list.m3u", "../music/b.mp3\n../music/a.mp3\n");
    options.playlists = {"list.m3u", "other/list.m3u"};
    options.copy.writePlaylist = true;
    EXPECT_EQ(run(), 0) << console.written;
    EXPECT_EQ(tw::test::readFile(work / "out/b.mp3"), std::string(2000, 'b'));
    tw::copy::RunCounters counted;
    counted.created = 2;
    counted.identical = 1; // a.mp3, named by both
    const tw::i18n::StringTable t;
    EXPECT_EQ(report, tw::job::buildCopyReport(counted, false, t, "\n") + "\n     " +
                          t.StrReportPlaylist + " " + (work / "out/list.m3u8") + "\n     " +
                          t.StrReportPlaylist + " " + (work / "out/list_001.m3u8") + "\n");
    EXPECT_EQ(tw::test::readFile(work / "out/list_001.m3u8"), "#EXTM3U\r\nb.mp3\r\na.mp3\r\n");
}

TEST_F(CopyCommand, PlaylistAmongSeveralThatCannotBeCopiedRefusesTheRunBeforeAnyCopy) {
    const tw::i18n::StringTable t;
    writeFile(work / "empty.m3u", "#EXTM3U\nmissing.mp3\n");
    options.playlists = {"list.m3u", "empty.m3u"};
    EXPECT_EQ(run(), 2);
    EXPECT_EQ(console.written, t.StrNoFiles + "\ntunewagon-copy: " + (work / "empty.m3u") +
                                   ": none of the files it names can be copied\n");

    console.written.clear();
    options.playlists = {"list.m3u", "no-such-list.m3u"};
    EXPECT_EQ(run(), 2);
    EXPECT_EQ(console.written.rfind(t.StrFileError + " " + (work / "no-such-list.m3u"), 0), 0u)
        << console.written;
    EXPECT_TRUE(report.empty());
    EXPECT_FALSE(tw::platform::fileExists(work / "out/a.mp3"));
}

TEST_F(CopyCommand, OnlyMp3CountsWhenScanning) {
    const tw::i18n::StringTable t;
    writeFile(work / "music/b.MP3", "b");
    writeFile(work / "upper.m3u", "music/b.MP3\n");
    options.playlists = {"upper.m3u"};
    options.copy.onlyMp3 = true;
    EXPECT_EQ(run(), 2);
    EXPECT_EQ(console.written, t.StrNoFiles + "\n");
}

TEST_F(CopyCommand, CtrlCDuringTheScanCancels) {
    std::string list;
    for (int i = 0; i < 30; ++i) {
        list += "music/a.mp3\n";
    }
    writeFile(work / "long.m3u", list);
    options.playlists = {"long.m3u"};
    console.interruptCount = 1;
    EXPECT_EQ(run(), 130);
    EXPECT_FALSE(tw::platform::fileExists(work / "out/a.mp3"));
}

} // namespace
