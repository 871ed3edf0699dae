// One copy run over several playlists, as tunewagon-copy makes it.

#include "copy/CopyRun.h"

#include "ScriptedHost.h"
#include "i18n/StringTable.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <initializer_list>

namespace tw::copy {
namespace {

using test::answer;
using test::ScriptedHost;
using tw::test::readFile;
using tw::test::TempFolder;
using tw::test::writeFile;
namespace fs = std::filesystem;

class SeveralPlaylistsRun : public ::testing::Test {
protected:
    TempFolder tmp;
    std::string src = tmp / "src";
    std::string dest = tmp / "dest";
    ScriptedHost host;
    RunFlags flags;
    i18n::StringTable table;
    bool noticePending = true;
    RunSetup setup;

    void SetUp() override {
        host.flags = &flags;
        fs::create_directories(dest);
        setup.destination = platform::Path(dest);
        setup.options.keepStructure = false;
        setup.listSizeKB = 100;
    }

    // Adds a playlist file at that path, of these lines, to the run.
    void addList(const std::string& path, std::initializer_list<std::string> lines) {
        std::string text;
        for (const std::string& line : lines)
            text += line + "\n";
        writeFile(path, text);
        setup.playlists.push_back({playlist::PlaylistSource(path), path});
    }

    std::string source(const std::string& relative, std::string_view bytes) {
        writeFile(src + "/" + relative, bytes);
        return src + "/" + relative;
    }

    RunContext context() { return RunContext{host, host, host, flags, table, noticePending, host}; }
    std::string at(const std::string& name) const { return dest + "/" + name; }

    std::vector<std::string> destinationNames() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dest))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

// Two sources named alike in two folders, a file two lists share, a missing entry: one set
// of counts, each file copied once, and each list's playlist naming its own files, under
// names that a second run of the same lists finds again.
TEST_F(SeveralPlaylistsRun, OneReportOneCopyOfEachFileAndOnePlaylistForEachSource) {
    const std::string a = source("a.mp3", "aaa"), b = source("b.mp3", "bb"),
                      c = source("c.mp3", "c"), d = source("d.mp3", "dddd");
    addList(tmp / "lists/one/mix.m3u", {"#EXTM3U", "#EXTINF:1,A", a, b, src + "/gone.mp3"});
    addList(tmp / "lists/two/mix.m3u", {b, c});
    addList(tmp / "lists/party.m3u", {d, a});
    setup.options.writePlaylist = true;
    setup.options.skipSame = true;
    // What the scans of the three lists sum to: 1 KB a file, a file two lists name once.
    setup.listSizeKB = 4;

    CopyRun first(setup, context(), host.clock());
    ASSERT_EQ(first.run(), CopyRun::End::Completed);
    EXPECT_EQ(first.counters().created, 4);
    EXPECT_EQ(first.counters().identical, 2) << "b and a, named again by later lists";
    EXPECT_EQ(first.counters().missing, 1);
    EXPECT_EQ(first.counters().failed, 0);
    EXPECT_TRUE(host.questions.empty()) << "a file of the run is no collision for a later list";
    const std::vector<platform::Path> written{platform::Path(at("mix.m3u8")),
                                              platform::Path(at("mix_001.m3u8")),
                                              platform::Path(at("party.m3u8"))};
    EXPECT_EQ(first.playlistsWritten(), written);
    EXPECT_EQ(destinationNames(),
              (std::vector<std::string>{"a.mp3", "b.mp3", "c.mp3", "d.mp3", "mix.m3u8",
                                        "mix_001.m3u8", "party.m3u8"}));
    EXPECT_EQ(readFile(at("mix.m3u8")), "#EXTM3U\r\n#EXTINF:1,A\r\na.mp3\r\nb.mp3\r\n");
    EXPECT_EQ(readFile(at("mix_001.m3u8")), "#EXTM3U\r\nb.mp3\r\nc.mp3\r\n");
    EXPECT_EQ(readFile(at("party.m3u8")), "#EXTM3U\r\nd.mp3\r\na.mp3\r\n");
    EXPECT_EQ(host.gauges.back(), (std::pair<std::int64_t, std::int64_t>{4, 4}));

    // The same lists again: everything is there, nothing is asked, no third "mix" appears.
    CopyRun again(setup, context(), host.clock());
    ASSERT_EQ(again.run(), CopyRun::End::Completed);
    EXPECT_EQ(again.counters().identical, 6);
    EXPECT_EQ(again.counters().created, 0);
    EXPECT_EQ(again.playlistsWritten(), written);
    EXPECT_EQ(destinationNames().size(), 7u);
}

// The answer "the same for the rest" and the automatic-renaming counter belong to the run,
// not to one of its lists.
TEST_F(SeveralPlaylistsRun, OneCollisionAnswerAndOneRenamingCounterServeEveryList) {
    writeFile(at("a.mp3"), "the user's a");
    addList(tmp / "lists/first.m3u", {source("one/a.mp3", "1")});
    addList(tmp / "lists/second.m3u", {source("two/a.mp3", "2"), source("three/a.mp3", "3")});
    host.collisionAnswers = {answer(CollisionAction::AutoRename, true)};

    CopyRun copy(setup, context(), host.clock());
    ASSERT_EQ(copy.run(), CopyRun::End::Completed);
    EXPECT_EQ(host.questions.size(), 1u);
    EXPECT_EQ(copy.counters().autoRenamed, 3);
    EXPECT_EQ(readFile(at("a.mp3")), "the user's a");
    EXPECT_EQ(readFile(at("a_001.mp3")), "1");
    EXPECT_EQ(readFile(at("a_002.mp3")), "2");
    EXPECT_EQ(readFile(at("a_003.mp3")), "3");
}

// A later list may lie in the destination under the name an earlier list's playlist takes:
// it is read as it was, not written over first.
TEST_F(SeveralPlaylistsRun, PlaylistOfOneListDoesNotOverwriteTheSourceOfAnother) {
    const std::string a = source("a.mp3", "a"), b = source("b.mp3", "b");
    addList(tmp / "lists/mix.m3u", {a});
    addList(at("mix.m3u8"), {b});
    setup.options.writePlaylist = true;

    CopyRun copy(setup, context(), host.clock());
    ASSERT_EQ(copy.run(), CopyRun::End::Completed);
    EXPECT_EQ(copy.counters().created, 2) << "b.mp3 read from the list in the destination";
    EXPECT_EQ(copy.counters().failed, 2) << "neither playlist may take the source's name";
    EXPECT_EQ(readFile(at("mix.m3u8")), b + "\n");
    EXPECT_TRUE(copy.playlistsWritten().empty());
}

// A stop confirmed at the question about the first list's playlist ends the run there.
TEST_F(SeveralPlaylistsRun, StopAtTheFirstListsPlaylistLeavesTheLaterListsUnread) {
    writeFile(at("first.m3u8"), "the user's own list");
    addList(tmp / "lists/first.m3u", {source("a.mp3", "a")});
    addList(tmp / "lists/second.m3u", {source("b.mp3", "b")});
    setup.options.writePlaylist = true;
    CollisionAnswer stop;
    stop.stopConfirmed = true;
    host.collisionAnswers = {stop};

    CopyRun copy(setup, context(), host.clock());
    EXPECT_EQ(copy.run(), CopyRun::End::Cancelled);
    EXPECT_EQ(copy.counters().created, 1);
    EXPECT_FALSE(fs::exists(at("b.mp3")));
    EXPECT_TRUE(copy.playlistsWritten().empty());
    EXPECT_EQ(readFile(at("first.m3u8")), "the user's own list");
}

} // namespace
} // namespace tw::copy
