// Copying a playlist to the same destination again: the playlist left there and the files
// already there, through the command line's copy command with a scripted terminal.

#include "FakeConsole.h"
#include "cli/ArgumentParser.h"
#include "cli/CopyCommand.h"
#include "i18n/StringTable.h"
#include "platform/FileSystem.h"
#include "playlist/PlaylistReader.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <vector>

namespace {

using tw::cli::CliOptions;
using tw::test::FakeConsole;
using tw::test::readFile;
using tw::test::TempFolder;
using tw::test::writeFile;

std::size_t occurrences(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

class Recopy : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directory(work / "out");
        options.playlists = {"list.m3u"};
        options.destination = "out";
    }

    int run() {
        console.written.clear();
        report.clear();
        return tw::cli::runCopyCommand(options, program.path(), work.path(), console, report);
    }

    // The files the destination's playlist names, read back through the playlist reader.
    std::vector<std::string> contentsListed(const std::string& name) {
        const std::string path = work / ("out/" + name);
        tw::playlist::PlaylistReader reader(tw::playlist::PlaylistSource(path), path);
        std::vector<std::string> contents;
        while (const auto entry = reader.next()) {
            EXPECT_TRUE(entry->found()) << entry->text;
            contents.push_back(entry->found() ? readFile(entry->sourcePath.str()) : "");
        }
        return contents;
    }

    TempFolder program;
    TempFolder work;
    CliOptions options;
    FakeConsole console;
    std::string report;
};

TEST_F(Recopy, WrittenPlaylistFindsEveryFileOnTheDestinationInOrderAfterTranslitAndRenaming) {
    writeFile(work / "music/Кино/Группа крови.mp3", "blood type");
    writeFile(work / "music/Кино/Звезда.mp3", "star");
    writeFile(work / "music/Aria.mp3", "aria");
    writeFile(work / "list.m3u", "#EXTM3U\n"
                                 "#EXTINF:245,Кино - Группа крови\n"
                                 "music/Кино/Группа крови.mp3\n"
                                 "#EXTINF:10,Gone\n"
                                 "music/gone.mp3\n"
                                 "music/Aria.mp3\n"
                                 "music/Кино/Звезда.mp3\n");
    // A different file already holds Aria's name: renamed automatically.
    writeFile(work / "out/music/Aria.mp3", "an older aria");
    options.copy.transliterate = true;
    options.copy.writePlaylist = true;
    console.answers = {"a"};

    EXPECT_EQ(run(), 1) << console.written; // the missing entry
    EXPECT_EQ(contentsListed("list.m3u8"),
              (std::vector<std::string>{"blood type", "aria", "star"}));
    const std::string written = readFile(work / "out/list.m3u8");
    EXPECT_EQ(written.rfind("#EXTM3U\r\n#EXTINF:245,Кино - Группа крови\r\nmusic/", 0), 0u)
        << written;
    EXPECT_EQ(written.find("Gone"), std::string::npos) << "a missing entry's #EXTINF goes too";
    EXPECT_EQ(written.find("Группа"), written.rfind("Группа")) << "only the #EXTINF is Cyrillic";
    EXPECT_EQ(readFile(work / "out/music/Aria.mp3"), "an older aria");
    EXPECT_NE(
        report.find(tw::i18n::StringTable().StrReportPlaylist + " " + (work / "out/list.m3u8")),
        std::string::npos)
        << report;
}

TEST_F(Recopy, SecondRunSkipsWhatIsThereAndAsksOnlyAboutTheChangedFile) {
    for (const char* name : {"one", "two", "three"})
        writeFile(work / ("music/" + std::string(name) + ".mp3"), std::string(3000, name[0]));
    writeFile(work / "list.m3u", "music/one.mp3\nmusic/two.mp3\nmusic/three.mp3\n");
    ASSERT_EQ(run(), 0) << console.written;
    // FAT keeps even seconds: a copy made there may be a second off its source.
    std::filesystem::last_write_time(work / "out/music/one.mp3",
                                     std::filesystem::last_write_time(work / "music/one.mp3") +
                                         std::chrono::seconds(1));

    options.copy.skipSame = true;
    EXPECT_EQ(run(), 0) << console.written;
    EXPECT_EQ(console.written.find(tw::i18n::StringTable().StrFileExists), std::string::npos)
        << console.written;
    EXPECT_NE(report.find(tw::i18n::StringTable().StrReportIdentical + "3"), std::string::npos)
        << report;

    // Same size, but written later: the only question is about it.
    writeFile(work / "music/two.mp3", std::string(3000, 'T'));
    const auto later =
        std::filesystem::last_write_time(work / "out/music/two.mp3") + std::chrono::seconds(5);
    std::filesystem::last_write_time(work / "music/two.mp3", later);
    console.answers = {"r"};
    EXPECT_EQ(run(), 0) << console.written;
    EXPECT_EQ(occurrences(console.written, tw::i18n::StringTable().StrFileExists), 1u);
    EXPECT_NE(console.written.find("two.mp3"), std::string::npos);
    EXPECT_EQ(readFile(work / "out/music/two.mp3"), std::string(3000, 'T'));
}

TEST_F(Recopy, CancelledRunWritesNoPlaylistAndNoNameOverwritesAnotherFile) {
    writeFile(work / "music/a.mp3", "a");
    writeFile(work / "music/b.mp3", "b");
    writeFile(work / "list.m3u", "music/a.mp3\nmusic/b.mp3\n");
    writeFile(work / "out/music/b.mp3", "older b");
    options.copy.writePlaylist = true;
    console.answers = {"c", "y"};
    run();
    EXPECT_FALSE(tw::platform::fileExists(work / "out/list.m3u8")) << console.written;

    // The list would replace a file the run copied: it is not written, and the run says so.
    options.copy.keepStructure = false;
    options.copy.playlistName = "a.mp3";
    console.answers = {"s"};
    EXPECT_EQ(run(), 1);
    EXPECT_EQ(readFile(work / "out/a.mp3"), "a");
    EXPECT_EQ(report.find(tw::i18n::StringTable().StrReportPlaylist), std::string::npos);
}

TEST_F(Recopy, PlaylistNameWithAFolderIsRefusedOnTheCommandLine) {
    for (const char* bad : {"--write-playlist=../x.m3u8", "--write-playlist=a/b.m3u8",
                            "--write-playlist=..", "--write-playlist="}) {
        const auto parsed = tw::cli::parseArguments({bad, "l.m3u", "out"});
        EXPECT_EQ(parsed.action, tw::cli::ParsedArguments::Action::Error) << bad;
    }
    const auto parsed = tw::cli::parseArguments({"--write-playlist=car.m3u", "l.m3u", "out"});
    EXPECT_TRUE(parsed.options.copy.writePlaylist);
    EXPECT_EQ(parsed.options.copy.playlistName, "car.m3u");
}

} // namespace
