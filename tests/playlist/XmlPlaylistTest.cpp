#include "playlist/ListScan.h"
#include "playlist/PlaylistReader.h"
#include "playlist/XmlPlaylistParser.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace tw::playlist {
namespace {

// An XML playlist in <tmp>/lists, read whole and scanned.
class XmlPlaylistTest : public ::testing::Test {
protected:
    std::string folder() const { return m_tmp / "lists"; }
    std::string at(std::string_view relative) const { return m_tmp / relative; }
    void file(std::string_view relative) { test::writeFile(m_tmp / relative, "data"); }

    std::vector<PlaylistEntry> read(const std::string& list) {
        PlaylistReader reader(list, list);
        std::vector<PlaylistEntry> entries;
        while (auto e = reader.next())
            entries.push_back(*e);
        return entries;
    }

    test::TempFolder m_tmp;
};

// How a player writes a path into a file URI: every byte but unreserved ones and "/" escaped.
std::string fileUriOf(const std::string& path) {
    std::string uri = "file://";
    for (const unsigned char c : path) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
            c == '/' || c == '-' || c == '_' || c == '.' || c == '~') {
            uri += static_cast<char>(c);
        } else {
            char escape[4];
            std::snprintf(escape, sizeof escape, "%%%02X", c);
            uri += escape;
        }
    }
    return uri;
}

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

TEST_F(XmlPlaylistTest, PlayerXspfFindsFileUrisEscapesAndRelativeLocations) {
    file("Музыка/Песня 1.mp3");
    file("lists/My Song.mp3");
    file("lists/sub/b c.mp3");
    file("lists/#1.mp3");
    const std::string absolute = fileUriOf(at("Музыка/Песня 1.mp3"));
    ASSERT_NE(absolute.find("%D0%9C"), std::string::npos);
    ASSERT_NE(absolute.find("%201.mp3"), std::string::npos);
    // As VLC and Audacious save it, and named .m3u: the content decides, not the name.
    const std::string list = at("lists/list.m3u");
    test::writeFile(list,
                    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                    "<playlist xmlns=\"http://xspf.org/ns/0/\" "
                    "xmlns:vlc=\"http://www.videolan.org/vlc/playlist/ns/0/\" version=\"1\">\n"
                    "\t<title>Playlist</title>\n\t<trackList>\n"
                    "\t\t<track>\n\t\t\t<location>" +
                        absolute +
                        "</location>\n\t\t\t<title>Song</title>\n"
                        "\t\t\t<duration>215000</duration>\n\t\t</track>\n"
                        "\t\t<track><location>\n  My%20Song.mp3\n</location></track>\n"
                        "\t\t<track><location>sub/b%20c.mp3</location></track>\n"
                        "\t\t<track><location>%231.mp3</location></track>\n"
                        "\t\t<track><location>gone.mp3</location></track>\n"
                        "\t\t<track><location>http://radio.example/a.mp3</location></track>\n"
                        "\t\t<track><title>no location</title></track>\n"
                        "\t</trackList>\n</playlist>\n");

    const std::vector<PlaylistEntry> entries = read(list);
    ASSERT_EQ(entries.size(), 6u);
    EXPECT_EQ(entries[0].sourcePath, at("Музыка/Песня 1.mp3"));
    EXPECT_EQ(entries[1].sourcePath, folder() + "/My Song.mp3");
    EXPECT_EQ(entries[2].sourcePath, folder() + "/sub/b c.mp3");
    EXPECT_EQ(entries[2].relativePart, "/sub/b c.mp3");
    EXPECT_EQ(entries[3].relativePart, "/#1.mp3"); // a file, never a comment
    EXPECT_TRUE(entries[3].found());
    EXPECT_FALSE(entries[4].found());
    EXPECT_FALSE(entries[5].found());

    const ScanResult scan = scanPlaylist(list, false);
    EXPECT_EQ(scan.outcome, ScanResult::Outcome::Completed) << scan.reason;
    EXPECT_EQ(scan.count, 4);
}

TEST_F(XmlPlaylistTest, MediaPlayerWplFindsRelativeSourcesWithBackslashes) {
    file("Music/Artist/a.mp3");
    file("lists/sub/b & c.mp3");
    file("lists/d.mp3");
    const std::string list = at("lists/list.wpl");
    test::writeFile(list, "\xEF\xBB\xBF<?wpl version=\"1.0\"?>\r\n<smil>\r\n    <head>\r\n"
                          "        <meta name=\"Generator\" content=\"Microsoft Windows Media "
                          "Player -- 12.0.19041.1\"/>\r\n"
                          "        <meta name=\"ItemCount\" content=\"4\"/>\r\n"
                          "        <title>Car</title>\r\n    </head>\r\n    <body>\r\n"
                          "        <seq>\r\n"
                          "            <media src=\"..\\Music\\Artist\\a.mp3\" "
                          "tid=\"{9A3B1C2D-0000-4A4B-8C8D-1E2F3A4B5C6D}\"/>\r\n"
                          "            <media src=\"sub\\b &amp; c.mp3\"/>\r\n"
                          "            <media src=\"d.mp3\" albumTitle=\"X\"/>\r\n"
                          "            <media src=\"C:\\Users\\me\\Music\\gone.mp3\"/>\r\n"
                          "        </seq>\r\n    </body>\r\n</smil>\r\n");

    const std::vector<PlaylistEntry> entries = read(list);
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0].text, "..\\Music\\Artist\\a.mp3");
    EXPECT_TRUE(entries[0].found());
    EXPECT_EQ(entries[1].sourcePath, folder() + "/sub/b & c.mp3");
    EXPECT_EQ(entries[1].relativePart, "/sub/b & c.mp3");
    EXPECT_EQ(entries[2].sourcePath, folder() + "/d.mp3");
    EXPECT_FALSE(entries[3].found());

    const ScanResult scan = scanPlaylist(list, false);
    EXPECT_EQ(scan.outcome, ScanResult::Outcome::Completed) << scan.reason;
    EXPECT_EQ(scan.count, 3);
}

TEST_F(XmlPlaylistTest, LinesNamedXspfStayLines) {
    file("lists/a.mp3");
    const std::string list = at("lists/list.xspf");
    test::writeFile(list, "#EXTM3U\na.mp3\n<b>.mp3\n");
    EXPECT_EQ(scanPlaylist(list, false).count, 1);
}

// Writes the file in pieces, so that the test itself never holds it.
void writeRepeated(const std::string& path, const std::string& head, const std::string& piece,
                   std::size_t times, const std::string& tail) {
    std::ofstream out(path, std::ios::binary);
    out << head;
    for (std::size_t i = 0; i < times; ++i)
        out << piece;
    out << tail;
}

TEST_F(XmlPlaylistTest, HostileXmlIsRefusedQuicklyInBoundedMemory) {
    const std::string laughs = at("laughs.xspf");
    std::string entities = "<?xml version=\"1.0\"?>\n<!DOCTYPE playlist [\n<!ENTITY l0 \"ha\">\n";
    for (int i = 1; i <= 30; ++i) {
        entities += "<!ENTITY l" + std::to_string(i) + " \"";
        for (int j = 0; j < 10; ++j)
            entities += "&l" + std::to_string(i - 1) + ";";
        entities += "\">\n";
    }
    test::writeFile(laughs, entities + "]>\n<playlist><trackList><track><location>&l30;"
                                       "</location></track></trackList></playlist>\n");
    const std::string localFile = at("local.xspf");
    test::writeFile(localFile, "<?xml version=\"1.0\"?>\n<!DOCTYPE playlist SYSTEM "
                               "\"file:///etc/passwd\" [<!ENTITY x SYSTEM \"file:///etc/passwd\">]>"
                               "\n<playlist><trackList><track><location>&x;</location></track>"
                               "</trackList></playlist>\n");
    const std::string nested = at("nested.xspf");
    writeRepeated(nested, "<playlist>", "<a>", 100'000, "");
    const std::string longText = at("text.xspf");
    writeRepeated(longText, "<playlist><title>", std::string(1024, 'x'), 20 * 1024, "</title>");
    const std::string other = at("other.xspf");
    test::writeFile(other, "<html><body>a.mp3</body></html>");

    for (const auto& [path, reason] :
         {std::pair{laughs, "(DTD)"}, std::pair{localFile, "(DTD)"},
          std::pair{nested, "nested more than 64"}, std::pair{longText, "longer than 1024 KB"},
          std::pair{other, "neither an XSPF nor a WPL"}}) {
        resetPeakMemory();
        const long before = peakMemoryKiB();
        const auto start = std::chrono::steady_clock::now();
        const ScanResult scan = scanPlaylist(path, false);
        const auto took = std::chrono::steady_clock::now() - start;
        const long growth = peakMemoryKiB() - before;
        EXPECT_EQ(scan.outcome, ScanResult::Outcome::Failed) << path;
        EXPECT_NE(scan.reason.find(reason), std::string::npos) << scan.reason;
        EXPECT_NE(scan.reason.find(path), std::string::npos) << scan.reason;
        EXPECT_LT(took, std::chrono::seconds(2)) << path;
        EXPECT_LT(growth, 8 * 1024) << path << ": peak memory grew by " << growth << " KiB";
        EXPECT_THROW(read(path), PlaylistRefused) << path;
    }
}

TEST_F(XmlPlaylistTest, LocationLongerThanAnyPathIsOneMissingEntry) {
    file("lists/a.mp3");
    const std::string list = at("lists/long.xspf");
    test::writeFile(list, "<playlist><trackList><track><location>" +
                              std::string(PlaylistReader::kLongestEntryLine + 10, 'y') +
                              "</location></track><track><location>a.mp3</location></track>"
                              "</trackList></playlist>");
    const std::vector<PlaylistEntry> entries = read(list);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_FALSE(entries[0].found());
    EXPECT_TRUE(entries[1].found());
}

} // namespace
} // namespace tw::playlist
