#include "playlist/ListScan.h"

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

TEST_F(ScanTest, CountsExistingFilesAndRoundsEachSizeUpToWholeKilobytes) {
    file("a.mp3", 750);
    file("b.mp3", 750);
    ScanResult r = scan("#EXTM3U\n#EXTINF:1,x\n" + at("a.mp3") + "\n# comment\n\n" + at("b.mp3") +
                        "\n" + at("missing.mp3") + "\n");
    EXPECT_EQ(r.outcome, Outcome::Completed);
    EXPECT_EQ(r.count, 2);
    EXPECT_EQ(r.sizeKB, 2) << "two files of 750 bytes take two kilobytes, not none";

    file("c.mp3", 1023);
    file("d.mp3", 2047);
    file("e.mp3", 3 * 1024);
    file("empty.mp3", 0);
    r = scan(at("c.mp3") + "\n" + at("d.mp3") + "\n" + at("e.mp3") + "\n" + at("e.mp3") + "\n" +
             at("empty.mp3"));
    EXPECT_EQ(r.count, 5) << "duplicates count twice";
    EXPECT_EQ(r.sizeKB, 1 + 2 + 3 + 3 + 0);
}

TEST_F(ScanTest, CountsEveryEntryTheRunCopies) {
    // Each of these was copied by the run but not counted, or neither: numbering from 0, out
    // of order, a lower-case key, names that begin like a header, a root-relative entry
    // found in the playlist's folder, and a doubled leading separator.
    file("lists/1.mp3");
    file("lists/2.mp3");
    file("lists/Titles/a.mp3");
    file("lists/Version 2/a.mp3");
    file("lists/Length of Days.mp3");
    file("lists/Music/a.mp3");
    const ScanResult r =
        scan("[playlist]\nFile0=1.mp3\nTitle0=x\nFile5=2.mp3\nfile1=1.mp3\nNumberOfEntries=3\n"
             "Titles/a.mp3\nVersion 2/a.mp3\nLength of Days.mp3\n\\Music\\a.mp3\n"
             "\\\\Music\\a.mp3\nVersion=2\n");
    EXPECT_EQ(r.count, 8);
}

TEST_F(ScanTest, LooksSkippedForMissingFoldersNeverHideAFile) {
    // Missing absolute entries below many different folders, before and after the ones that
    // hold files in the playlist's folder and below the root of its drive.
    file("lists/Music/a.mp3");
    file("lists/Other3/x.mp3");
    std::string bytes = "/Music/none.mp3\n";
    for (int i = 0; i < 40; ++i)
        bytes += "/Other" + std::to_string(i) + "/x.mp3\nOther" + std::to_string(i) + "/y.mp3\n";
    bytes += "/Music/a.mp3\n/Other3/x.mp3\n" + at("lists/Other3/x.mp3") + "\n";
    EXPECT_EQ(scan(bytes).count, 4);
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
        // A repeat of the last figure is the scan waiting for a lookup.
        if (calls.empty() || calls.back() != consumed)
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
