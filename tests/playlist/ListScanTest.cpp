#include "playlist/ListScan.h"

#include "platform/ChildProcess.h"
#include "playlist/PlaylistReader.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace tw::playlist {
namespace {

using Outcome = ScanResult::Outcome;

class ScanTest : public ::testing::Test {
protected:
    std::string list() const { return m_tmp / "lists/list.m3u"; }
    std::string at(std::string_view relative) const { return m_tmp / relative; }
    void file(std::string_view relative, std::size_t bytes = 4) {
        test::writeFile(m_tmp / relative, std::string(bytes, 'x'));
    }
    ScanResult scan(std::string_view bytes, bool onlyMp3 = false) {
        test::writeFile(list(), bytes);
        return scanPlaylist(list(), onlyMp3);
    }

    test::TempFolder m_tmp;
};

TEST_F(ScanTest, CountsExistingFilesAndTruncatesEachSizeToWholeKilobytes) {
    file("a.mp3", 750);
    file("b.mp3", 750);
    ScanResult r = scan("#EXTM3U\n#EXTINF:1,x\n" + at("a.mp3") + "\n# comment\n\n" + at("b.mp3") +
                        "\n" + at("missing.mp3") + "\n");
    EXPECT_EQ(r.outcome, Outcome::Completed);
    EXPECT_EQ(r.count, 2);
    EXPECT_EQ(r.sizeKB, 0) << "1,500 bytes in two files are 0 KB";

    file("c.mp3", 1023);
    file("d.mp3", 2047);
    file("e.mp3", 3 * 1024);
    r = scan(at("c.mp3") + "\n" + at("d.mp3") + "\n" + at("e.mp3") + "\n" + at("e.mp3"));
    EXPECT_EQ(r.count, 4) << "duplicates count twice";
    EXPECT_EQ(r.sizeKB, 0 + 1 + 3 + 3);
}

TEST_F(ScanTest, PlsEntriesCountOnlyWhenNumberedByTheRunningCount) {
    file("lists/1.mp3");
    file("lists/2.mp3");
    file("lists/3.mp3");
    EXPECT_EQ(scan("[playlist]\nFile1=1.mp3\nTitle1=x\nFile2=2.mp3\nFile3=3.mp3\n"
                   "NumberOfEntries=3\nVersion=2\n")
                  .count,
              3);
    EXPECT_EQ(scan("[playlist]\nFile0=1.mp3\nFile1=2.mp3\nFile2=3.mp3\n").count, 0);
    EXPECT_EQ(scan("File1=1.mp3\nFile3=3.mp3\nFile3=3.mp3\n").count, 2);
}

TEST_F(ScanTest, LeadingSeparatorIsDroppedOnceWhenTheEntryIsNotFoundAsWritten) {
    file("lists/Music/a.mp3");
    file("b.mp3");
    EXPECT_EQ(scan("\\Music\\a.mp3\n/Music/a.mp3\n\\\\Music\\a.mp3\n" + at("b.mp3") + "\n").count,
              3);
    EXPECT_EQ(scan("Music\\a.mp3\n").count, 1) << "relative to the playlist's folder";

    // Missing absolute entries below many different folders, before and after the one that
    // holds the file, must not hide it.
    std::string bytes = "/Music/none.mp3\n";
    for (int i = 0; i < 40; ++i)
        bytes += "/Other" + std::to_string(i) + "/x.mp3\n";
    bytes += "/Music/a.mp3\n/Other3/x.mp3\n";
    file("lists/Other3/x.mp3");
    EXPECT_EQ(scan(bytes).count, 3);
}

TEST_F(ScanTest, HeaderLinesAreNotSetAsideAndCountWhenTheyNameAFile) {
    // The reader skips "Titles\a.mp3" as a header line; the scan looks it up like any line.
    file("lists/Titles/a.mp3");
    EXPECT_EQ(scan("Titles\\a.mp3\n").count, 1);
    PlaylistReader reader(list(), list());
    EXPECT_FALSE(reader.next());
}

TEST_F(ScanTest, OnlyMp3KeepsExactLowerCaseExtension) {
    file("lists/a.MP3");
    file("lists/a.mp3.bak");
    file("lists/b.mp3", 2048);
    const std::string bytes = "a.MP3\na.mp3.bak\nb.mp3\n";
    const ScanResult only = scan(bytes, true);
    EXPECT_EQ(only.count, 1);
    EXPECT_EQ(only.sizeKB, 2);
    EXPECT_EQ(scan(bytes, false).count, 3);
}

TEST_F(ScanTest, LinesAreDecodedAndFileUrisFound) {
    file("lists/Песня.mp3");
    file("My Songs/a b.mp3");
    EXPECT_EQ(scan("\xEF\xBB\xBF\xCF\xE5\xF1\xED\xFF.mp3\r\nПесня.mp3\r\nfile://" + m_tmp.path() +
                   "/My%20Songs/a%20b.mp3\r\nfolder\r\n")
                  .count,
              3);
}

TEST_F(ScanTest, ProgressComesEveryTenLinesWithBytesConsumedAndCanCancel) {
    file("lists/a.mp3");
    std::string bytes;
    for (int i = 0; i < 25; ++i)
        bytes += "a.mp3\r\n"; // 7 bytes a line
    test::writeFile(list(), bytes);
    std::vector<std::uint64_t> calls;
    ScanResult r = scanPlaylist(list(), false, [&](std::uint64_t consumed) {
        calls.push_back(consumed);
        return true;
    });
    EXPECT_EQ(r.outcome, Outcome::Completed);
    EXPECT_EQ(r.count, 25);
    EXPECT_EQ(calls, (std::vector<std::uint64_t>{70, 140}));

    calls.clear();
    r = scanPlaylist(list(), false, [&](std::uint64_t consumed) {
        calls.push_back(consumed);
        return false;
    });
    EXPECT_EQ(r.outcome, Outcome::Cancelled);
    EXPECT_EQ(r.count, 10) << "the partial count is kept";
    EXPECT_EQ(calls.size(), 1u);
}

TEST_F(ScanTest, UnreadableOrHugePlaylistIsAFailureNotAnException) {
    ScanResult r = scanPlaylist(list(), false);
    EXPECT_EQ(r.outcome, Outcome::Failed);
    EXPECT_NE(r.reason.find(list()), std::string::npos);

    r = scanPlaylist(m_tmp.path(), false);
    EXPECT_EQ(r.outcome, Outcome::Failed);

    // A named pipe would block the reader until someone writes to it.
    ASSERT_TRUE(platform::ChildProcess({"mkfifo", m_tmp / "pipe.m3u"}).wait().exited);
    r = scanPlaylist(m_tmp / "pipe.m3u", false);
    EXPECT_EQ(r.outcome, Outcome::Failed);

    // Sparse: takes no room on the disk.
    test::writeFile(list(), "");
    std::filesystem::resize_file(list(), std::uintmax_t{1} << 31);
    bool called = false;
    r = scanPlaylist(list(), false, [&](std::uint64_t) { return called = true; });
    EXPECT_EQ(r.outcome, Outcome::Failed);
    EXPECT_NE(r.reason.find("2 GiB"), std::string::npos);
    EXPECT_FALSE(called);
}

} // namespace
} // namespace tw::playlist
