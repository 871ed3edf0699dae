#include "playlist/PlaylistReader.h"

#include "platform/FileError.h"
#include "playlist/ListScan.h"
#include "support/TempFolder.h"
#include "support/TmpfsMount.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace tw::playlist {
namespace {

// A playlist in <tmp>/lists, read whole.
class ReaderTest : public ::testing::Test {
protected:
    std::string folder() const { return m_tmp / "lists"; }
    std::string list() const { return m_tmp / "lists/list.m3u"; }
    std::string at(std::string_view relative) const { return m_tmp / relative; }
    void file(std::string_view relative) { test::writeFile(m_tmp / relative, "data"); }

    std::vector<PlaylistEntry> read(std::string_view bytes) {
        test::writeFile(list(), bytes);
        PlaylistReader reader(list(), list());
        std::vector<PlaylistEntry> entries;
        while (auto e = reader.next())
            entries.push_back(*e);
        return entries;
    }

    std::vector<std::string> texts(std::string_view bytes) {
        std::vector<std::string> result;
        for (const auto& e : read(bytes))
            result.push_back(e.text);
        return result;
    }

    test::TempFolder m_tmp;
};

using Texts = std::vector<std::string>;

// Peak memory of the process since the last reset, in KiB.
long peakMemoryKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.starts_with("VmHWM:"))
            return std::stol(line.substr(6));
    }
    return -1;
}

void resetPeakMemory() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

TEST_F(ReaderTest, OnlyEmptyCommentAndRealHeaderLinesAreSetAside) {
    // None of these reaches the run, not even as a missing entry.
    EXPECT_EQ(texts("#EXTM3U\r\n#EXTINF:123,Artist - Title\r\n# my comment\r\n\r\n[playlist]\r\n"
                    "Title1=A\r\nLength12=200\r\nNumberOfEntries=2\r\nVersion=2\r\n[Playlist]\r\n"
                    "TITLE3=x\r\nnumberofentries=1\r\n\n"),
              Texts{});
    // Lines that only begin like a header are entries, and are found.
    file("lists/Titles/a.mp3");
    file("lists/Version 2/a.mp3");
    file("lists/Length of Days.mp3");
    const auto entries =
        read("Titles\\a.mp3\nVersion 2/a.mp3\nLength of Days.mp3\nTitle=x\nTitleA=x\n"
             "[playlist] b.mp3\nNumberOfEntries\nVersion:2\n \n");
    ASSERT_EQ(entries.size(), 9u);
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(entries[i].found()) << entries[i].text;
    EXPECT_EQ(entries[2].sourcePath, folder() + "/Length of Days.mp3");
    Texts rest;
    for (std::size_t i = 3; i < entries.size(); ++i)
        rest.push_back(entries[i].text);
    EXPECT_EQ(rest, (Texts{"Title=x", "TitleA=x", "[playlist] b.mp3", "NumberOfEntries",
                           "Version:2", " "}));
}

TEST_F(ReaderTest, PlsKeyIsRemovedWhateverItsNumberAndLetterCase) {
    file("a.mp3");
    file("b.mp3");
    auto entries =
        read("[playlist]\nFile1=" + at("a.mp3") + "\nTitle1=A\nLength1=200\nFile2=" + at("b.mp3") +
             "\nNumberOfEntries=2\nVersion=2\n");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].sourcePath, at("a.mp3"));
    EXPECT_EQ(entries[1].sourcePath, at("b.mp3"));

    // Numbered from 0, out of order, with gaps, in any case: all found, in file order.
    file("lists/c.mp3");
    entries =
        read("File0=" + at("b.mp3") + "\nFILE7=" + at("a.mp3") + "\nfile2=c.mp3\nFile1=c.mp3\n");
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0].sourcePath, at("b.mp3"));
    EXPECT_EQ(entries[1].sourcePath, at("a.mp3"));
    EXPECT_EQ(entries[2].sourcePath, folder() + "/c.mp3");
    EXPECT_EQ(entries[3].sourcePath, folder() + "/c.mp3");
    // Without digits, or with anything between them and "=", the key is part of the entry.
    EXPECT_EQ(texts("File=x\nFile3 =w\nFiles=y\nFile1=\nFile12=File3=z\n"),
              (Texts{"File=x", "File3 =w", "Files=y", "", "File3=z"}));
}

TEST_F(ReaderTest, LineCuttingRulesReachTheEntries) {
    file("lists/music/a.mp3");
    // A BOM-writing editor's header stays a header.
    EXPECT_EQ(texts("\xEF\xBB\xBF#EXTM3U\r\nmusic/a.mp3"), Texts{"music/a.mp3"});
    // A lone CR joins the lines; 0x1A ends the file.
    const auto entries = read("mus\ric/a.mp3\nb.mp3\x1A"
                              "c.mp3\n");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].text, "music/a.mp3");
    EXPECT_TRUE(entries[0].found());
    EXPECT_EQ(entries[1].text, "b.mp3");
}

TEST_F(ReaderTest, DuplicatesComeTwiceInFileOrder) {
    file("lists/a.mp3");
    file("lists/b.mp3");
    const auto entries = read("a.mp3\nb.mp3\na.mp3\n");
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].sourcePath, folder() + "/a.mp3");
    EXPECT_EQ(entries[1].sourcePath, folder() + "/b.mp3");
    EXPECT_EQ(entries[2].sourcePath, folder() + "/a.mp3");
}

TEST_F(ReaderTest, RelativeEntriesAreTakenInThePlaylistFolderWithEitherSeparator) {
    file("lists/Rock/a.mp3");
    const auto entries = read("Rock\\a.mp3\nRock/a.mp3\n");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].sourcePath, folder() + "/Rock/a.mp3");
    EXPECT_EQ(entries[0].relativePart, "/Rock/a.mp3");
    EXPECT_EQ(entries[1].sourcePath, folder() + "/Rock/a.mp3");
    EXPECT_EQ(entries[1].relativePart, "/Rock/a.mp3");
}

// A "\\" in the name of the playlist's own folder is a letter of that name: only the
// entry's text is read with "\\" as a separator.
TEST_F(ReaderTest, BackslashInThePlaylistFolderNameIsNotASeparator) {
    const std::string lists = m_tmp / "AC\\DC";
    test::writeFile(lists + "/Rock/a.mp3", "data");
    test::writeFile(lists + "/list.m3u", "Rock\\a.mp3\n");
    PlaylistReader reader(lists + "/list.m3u", lists + "/list.m3u");
    const auto entry = reader.next();
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->sourcePath, lists + "/Rock/a.mp3");
    EXPECT_EQ(entry->relativePart, "/Rock/a.mp3");
}

TEST_F(ReaderTest, CandidatesAreTriedInOrder) {
    // An entry beginning with a separator is an absolute path first, and only then a path
    // in the playlist's folder.
    std::string backslashed = at("x/a.mp3");
    for (char& c : backslashed)
        c = c == '/' ? '\\' : c;
    file("x/a.mp3");
    file("lists" + at("x/a.mp3"));
    auto entries = read(backslashed + "\n");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].sourcePath, at("x/a.mp3"));
    std::filesystem::remove(at("x/a.mp3"));
    entries = read(backslashed + "\n");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].sourcePath, folder() + at("x/a.mp3"));

    // A relative entry: next to the playlist first, then below the root. The folder and
    // the entry are never glued: "lists" + "b.mp3" is no "listsb.mp3" beside the folder.
    file("listsb.mp3");
    entries = read("b.mp3\n");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_FALSE(entries[0].found()) << entries[0].sourcePath;
    file("lists/b.mp3");
    entries = read("b.mp3\n");
    EXPECT_EQ(entries[0].sourcePath, folder() + "/b.mp3");
}

TEST_F(ReaderTest, RootRelativeEntriesAreFoundBelowTheMountPointOfThePlaylist) {
    const std::string stick = at("usb");
    std::filesystem::create_directories(stick);
    const test::TmpfsMount mount(stick, "size=1m");
    if (!mount.mounted())
        GTEST_SKIP() << mount.reason();
    test::writeFile(stick + "/Music/a.mp3", "data");
    test::writeFile(stick + "/Music/b.mp3", "data");
    // A playlist written on Windows, in a folder of the stick.
    const std::string playlist = stick + "/Lists/list.m3u";
    test::writeFile(playlist,
                    "\\Music\\a.mp3\r\n/Music/b.mp3\r\nMusic\\a.mp3\r\n\\Music\\none.mp3\r\n");
    PlaylistReader reader(playlist, playlist);
    EXPECT_EQ(reader.playlistDrive(), stick);
    std::vector<PlaylistEntry> entries;
    while (auto e = reader.next())
        entries.push_back(*e);
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0].sourcePath, stick + "/Music/a.mp3");
    EXPECT_EQ(entries[1].sourcePath, stick + "/Music/b.mp3");
    EXPECT_EQ(entries[2].sourcePath, stick + "/Music/a.mp3") << "not beside the playlist";
    EXPECT_FALSE(entries[3].found());
    // The list scan finds what the reader finds.
    const ScanResult scan = scanPlaylist(playlist, false);
    EXPECT_EQ(scan.count, 3);
}

TEST_F(ReaderTest, FoldersDrivesAndNulBytesNeverResolve) {
    file("lists/sub/a.mp3");
    std::string bytes = "sub\nC:\\sub\\a.mp3\nsub/a.mp3";
    bytes += '\0';
    bytes += "junk\n";
    const auto entries = read(bytes);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_FALSE(entries[0].found()) << "a folder is not a file";
    EXPECT_FALSE(entries[1].found()) << "a drive letter names nothing here";
    EXPECT_EQ(entries[1].relativePart, "/sub/a.mp3");
    EXPECT_FALSE(entries[2].found()) << "a NUL byte must not cut the path short";
}

TEST_F(ReaderTest, RelativePartCannotClimbOutOfTheDestination) {
    file("Music/a.mp3");
    const auto entries =
        read("..\\Music\\a.mp3\nC:\\a\\.\\b\\..\\..\\c.mp3\n./d.mp3\n/x/a.mp3\n..\n");
    ASSERT_EQ(entries.size(), 5u);
    // Found where the playlist says, kept below the destination.
    EXPECT_EQ(entries[0].sourcePath, folder() + "/../Music/a.mp3");
    EXPECT_EQ(entries[0].relativePart, "/Music/a.mp3");
    EXPECT_EQ(entries[1].relativePart, "/a/b/c.mp3");
    EXPECT_EQ(entries[2].relativePart, "/d.mp3");
    EXPECT_EQ(entries[3].relativePart, "/x/a.mp3");
    EXPECT_EQ(entries[4].relativePart, "/");
}

TEST_F(ReaderTest, Cp1251AndUtf8LinesNameTheSameCyrillicFile) {
    file("lists/Песня.mp3");
    const auto entries = read("\xCF\xE5\xF1\xED\xFF.mp3\r\nПесня.mp3\r\n");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].text, "Песня.mp3");
    EXPECT_EQ(entries[0].sourcePath, folder() + "/Песня.mp3");
    EXPECT_EQ(entries[1].sourcePath, entries[0].sourcePath);
}

TEST_F(ReaderTest, FileUrisArePercentDecodedIntoLocalPaths) {
    file("My Songs/Песня.mp3");
    const std::string encoded = "My%20Songs/%D0%9F%D0%B5%D1%81%D0%BD%D1%8F.mp3";
    const auto entries =
        read("file://" + m_tmp.path() + "/" + encoded + "\nFILE://LocalHost" + m_tmp.path() + "/" +
             encoded + "\nfile://" + m_tmp.path() + "/My%20Songs/%CF%E5%F1%ED%FF.mp3\n" +
             "file://server" + m_tmp.path() + "/" + encoded + "\nhttp://host/a.mp3\n" + "file://" +
             m_tmp.path() + "/a%2.mp3%\nfile:///a%00.mp3\n");
    ASSERT_EQ(entries.size(), 7u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(entries[i].sourcePath, at("My Songs/Песня.mp3")) << i;
        EXPECT_EQ(entries[i].relativePart, m_tmp.path() + "/My Songs/Песня.mp3") << i;
    }
    EXPECT_FALSE(entries[3].found()) << "another host";
    EXPECT_FALSE(entries[4].found());
    EXPECT_EQ(entries[4].text, "http://host/a.mp3");
    EXPECT_EQ(entries[5].text, m_tmp.path() + "/a%2.mp3%") << "a broken escape stays";
    EXPECT_EQ(entries[6].text, "file:///a%00.mp3") << "an encoded NUL is no local path";
}

TEST_F(ReaderTest, LineTooLongForAPathIsOneMissingEntryAndIsNotHeld) {
    file("lists/a.mp3");
    file("lists/b.mp3");
    // A long comment stays a comment; a long entry is one missing entry, here 256 MiB of a
    // sparse file, which would take twice that in memory if it were held and decoded.
    test::writeFile(list(), "#EXTINF:1," + std::string(20000, 't') + "\na.mp3\n");
    std::filesystem::resize_file(list(), std::filesystem::file_size(list()) + (256u << 20));
    std::ofstream(list(), std::ios::app) << "\nb.mp3\n";

    resetPeakMemory();
    const long before = peakMemoryKiB();
    PlaylistReader reader(list(), list());
    std::vector<PlaylistEntry> entries;
    while (auto e = reader.next())
        entries.push_back(*e);
    const ScanResult scan = scanPlaylist(list(), false);
    const long growth = peakMemoryKiB() - before;

    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].sourcePath, folder() + "/a.mp3");
    EXPECT_FALSE(entries[1].found());
    EXPECT_EQ(entries[2].sourcePath, folder() + "/b.mp3");
    EXPECT_EQ(scan.outcome, ScanResult::Outcome::Completed);
    EXPECT_EQ(scan.count, 2);
    EXPECT_LT(growth, 16 * 1024) << "peak memory grew by " << growth << " KiB";
}

// A FIFO that a thread fills once with the bytes, as a shell's "<(...)" would.
class Fifo {
public:
    Fifo(const std::string& path, std::string bytes)
        : m_path(path) {
        if (std::system(("mkfifo '" + path + "'").c_str()) != 0)
            throw std::runtime_error("mkfifo failed");
        m_writer = std::thread(
            [path, bytes = std::move(bytes)] { std::ofstream(path, std::ios::binary) << bytes; });
    }
    ~Fifo() { m_writer.join(); }
    Fifo(const Fifo&) = delete;
    Fifo& operator=(const Fifo&) = delete;

private:
    std::string m_path;
    std::thread m_writer;
};

TEST_F(ReaderTest, PipeIsReadOnceAndTheScanAndTheRunBothTakeThatCopy) {
    file("lists/a.mp3");
    file("lists/b.mp3");
    const std::string bytes = "#EXTM3U\na.mp3\nb.mp3\nnone.mp3\n";
    const auto readAll = [&](const PlaylistSource& source) {
        EXPECT_TRUE(source.inMemory());
        EXPECT_EQ(source.size(), static_cast<std::int64_t>(bytes.size()));
        const ScanResult scan = scanPlaylist(source, list(), false);
        EXPECT_EQ(scan.count, 2);
        PlaylistReader reader(source, list());
        Texts found;
        while (auto e = reader.next())
            found.push_back(e->found() ? e->sourcePath.fileName() : "-");
        EXPECT_EQ(found, (Texts{"a.mp3", "b.mp3", "-"}));
    };
    {
        const Fifo fifo(at("fifo.m3u"), bytes);
        readAll(PlaylistSource::load(at("fifo.m3u")));
    }
    // Standard input, here a second FIFO put in its place.
    {
        const Fifo fifo(at("stdin.m3u"), bytes);
        ASSERT_NE(std::freopen(at("stdin.m3u").c_str(), "r", stdin), nullptr);
        readAll(PlaylistSource::load("-"));
        std::freopen("/dev/null", "r", stdin);
    }
    // A regular file is read from its name each time.
    test::writeFile(list(), bytes);
    EXPECT_FALSE(PlaylistSource::load(list()).inMemory());
}

TEST_F(ReaderTest, PipeLargerThanTheBoundIsRefusedWithItsName) {
    // Fits the pipe's buffer in one write, so the writer is done before the reader gives up.
    const Fifo fifo(at("big.m3u"), std::string(3000, 'x'));
    try {
        PlaylistSource::load(at("big.m3u"), 1000);
        FAIL() << "no error past the bound";
    } catch (const PlaylistTooLarge& e) {
        EXPECT_NE(std::string(e.what()).find(at("big.m3u")), std::string::npos) << e.what();
    }
    const Fifo exact(at("exact.m3u"), std::string(1000, 'x'));
    EXPECT_EQ(PlaylistSource::load(at("exact.m3u"), 1000).size(), 1000);
}

int openFiles() {
    int count = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator("/proc/self/fd"))
        ++count;
    return count;
}

TEST_F(ReaderTest, FileIsClosedAtTheEndAndWhenTheCallerStops) {
    test::writeFile(list(), "a\nb\nc\n");
    const int before = openFiles();
    {
        PlaylistReader reader(list(), list());
        ASSERT_TRUE(reader.next());
        EXPECT_EQ(openFiles(), before + 1);
    }
    EXPECT_EQ(openFiles(), before);
    PlaylistReader reader(list(), list());
    while (reader.next()) {
    }
    EXPECT_EQ(openFiles(), before);
    EXPECT_EQ(reader.bytesConsumed(), 6u);
    EXPECT_FALSE(reader.next());
}

TEST_F(ReaderTest, PlaylistThatCannotBeOpenedThrows) {
    EXPECT_THROW(PlaylistReader(list(), list()), platform::FileError);
    EXPECT_THROW(PlaylistReader(m_tmp.path(), m_tmp.path()), platform::FileError);
}

TEST(PathText, Mp3ExtensionIsExactAndTakenFromTheNameOnly) {
    EXPECT_TRUE(hasMp3Extension("/m/a.mp3"));
    EXPECT_TRUE(hasMp3Extension("C:\\m\\a.b.mp3"));
    EXPECT_TRUE(hasMp3Extension("x:.mp3"));
    EXPECT_FALSE(hasMp3Extension("/m/a.MP3"));
    EXPECT_FALSE(hasMp3Extension("/m/a.mp3.bak"));
    EXPECT_FALSE(hasMp3Extension("/m.mp3/a"));
    EXPECT_FALSE(hasMp3Extension("m.mp3\\a"));
    EXPECT_FALSE(hasMp3Extension("d.mp3:a"));
    EXPECT_FALSE(hasMp3Extension("a.mp"));
    EXPECT_FALSE(hasMp3Extension(""));
}

TEST(PathText, NameAndFolderSplitAtTheLastSeparator) {
    EXPECT_EQ(fileNameOf("\\Music\\Rock/a.mp3"), "a.mp3");
    // A colon is part of a Linux file name: cutting there would copy "Artist: Song.mp3"
    // as " Song.mp3" and let two songs meet under one name.
    EXPECT_EQ(fileNameOf("/m/Artist: Song.mp3"), "Artist: Song.mp3");
    EXPECT_TRUE(hasMp3Extension("/m/Artist: Song.mp3"));
    EXPECT_EQ(fileNameOf("a.mp3"), "a.mp3");
    EXPECT_EQ(fileNameOf("/x/"), "");
    EXPECT_EQ(folderOf("/home/u/lists/a.m3u"), "/home/u/lists");
    EXPECT_EQ(folderOf("C:\\Lists\\a.m3u"), "C:\\Lists");
    EXPECT_EQ(folderOf("/a.m3u"), "/");
    EXPECT_EQ(folderOf("C:\\a.m3u"), "C:\\");
    EXPECT_EQ(folderOf("a.m3u"), "");
}

} // namespace
} // namespace tw::playlist
