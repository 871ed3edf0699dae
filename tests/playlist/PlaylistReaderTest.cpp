#include "playlist/PlaylistReader.h"

#include "platform/FileError.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
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

TEST_F(ReaderTest, HeaderLinesAreSkippedButCommentsAndEmptyLinesAreMissingEntries) {
    file("lists/a.mp3");
    const auto entries = read("#EXTM3U\r\n#EXTINF:123,Artist - Title\r\n# my comment\r\n\r\n"
                              "a.mp3\r\n");
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].text, "# my comment");
    EXPECT_FALSE(entries[0].found());
    EXPECT_EQ(entries[1].text, "");
    EXPECT_FALSE(entries[1].found()) << "an empty entry names only folders";
    EXPECT_EQ(entries[1].relativePart, "/");
    EXPECT_EQ(entries[2].sourcePath, folder() + "/a.mp3");
}

TEST_F(ReaderTest, KeywordsMatchCaseSensitivelyOverTheirLengthOnly) {
    file("lists/Titles/a.mp3");
    file("lists/titles/a.mp3");
    EXPECT_EQ(
        texts("[playlist]\nTitles\\a.mp3\nVersion 2\\a.mp3\nLength1=3\nNumberOfEntries=2\n"
              "titles\\a.mp3\nTitl\n#EX\n[playlis\nNumberOfEntrie\nVersio\nLengt\n"),
        (Texts{"titles\\a.mp3", "Titl", "#EX", "[playlis", "NumberOfEntrie", "Versio", "Lengt"}));
}

TEST_F(ReaderTest, PlsKeyIsRemovedOnlyWhenItsNumberIsTheRunningCount) {
    file("a.mp3");
    file("b.mp3");
    const auto entries =
        read("[playlist]\nFile1=" + at("a.mp3") + "\nTitle1=A\nLength1=200\nFile2=" + at("b.mp3") +
             "\nNumberOfEntries=2\nVersion=2\n");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].sourcePath, at("a.mp3"));
    EXPECT_EQ(entries[1].sourcePath, at("b.mp3"));

    // Out of order: the first "File" line must be File1=, the second File2=, ...
    EXPECT_EQ(texts("File2=x\nFile1=y\nFile3=z\n"), (Texts{"File2=x", "File1=y", "z"}));
    // "file" in another case neither counts nor is stripped; the number ends at "=".
    EXPECT_EQ(texts("file1=x\nFile1=y\nFile23=z\nFile3 =w\n"),
              (Texts{"file1=x", "y", "File23=z", "File3 =w"}));
    const auto kept = read("File2=" + at("a.mp3") + "\n");
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_FALSE(kept[0].found());
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

    // A relative entry: next to the playlist first, then the folder text joined as it is
    // ("<folder>" + "b.mp3" names "listsb.mp3" beside the folder).
    file("listsb.mp3");
    entries = read("b.mp3\n");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].sourcePath, at("listsb.mp3"));
    file("lists/b.mp3");
    entries = read("b.mp3\n");
    EXPECT_EQ(entries[0].sourcePath, folder() + "/b.mp3");
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
