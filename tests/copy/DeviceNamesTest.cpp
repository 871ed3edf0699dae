#include "copy/DeviceNames.h"
#include "copy/ClaimedNames.h"
#include "copy/CopyRun.h"
#include "copy/Renaming.h"

#include "ScriptedHost.h"
#include "platform/NameRules.h"
#include "support/ImageMount.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>

namespace tw::copy {
namespace {

using test::answer;
using test::ScriptedHost;
using tw::test::ImageMount;
using tw::test::readFile;
using tw::test::TempFolder;
using tw::test::writeFile;
namespace fs = std::filesystem;

TEST(DeviceNames, RefusedCharactersAndTrailingDotsOrSpacesBecomeUnderscores) {
    EXPECT_EQ(deviceSafeName("AC/DC: Live? *1* \"x\" <y> |z|.mp3"),
              "AC/DC_ Live_ _1_ _x_ _y_ _z_.mp3");
    EXPECT_EQ(deviceSafeName("\x1b[31mred\t.mp3"), "_[31mred_.mp3");
    EXPECT_EQ(deviceSafeName("Disc 1. "), "Disc 1__");
    EXPECT_EQ(deviceSafeName("Песня.mp3"), "Песня.mp3");
    EXPECT_TRUE(sameIgnoringCase("/s/Music/ПЕСНЯ Ёлка.MP3", "/s/music/песня ёлка.mp3"));
    EXPECT_FALSE(sameIgnoringCase("/s/a.mp3", "/s/a.mp4"));
    EXPECT_FALSE(sameIgnoringCase("/s/a.mp3", "/s/a.mp3x"));
}

TEST(DeviceNames, CaseIsFoldedForEveryScriptButBytesThatAreNoUtf8StayApart) {
    EXPECT_TRUE(sameIgnoringCase("ŁÓDŹ.mp3", "łódź.mp3"));
    EXPECT_TRUE(sameIgnoringCase("ΣΟΦΙΑ", "σοφια"));
    EXPECT_TRUE(sameIgnoringCase("Ǆemal", "ǆemal"));
    EXPECT_TRUE(sameIgnoringCase("Straße", "STRASSE"));
    EXPECT_FALSE(sameIgnoringCase("\xff.mp3", "\xfe.mp3"));
    EXPECT_TRUE(sameIgnoringCase("\xff.mp3", "\xff.mp3"));
    EXPECT_FALSE(sameIgnoringCase("Łza", "Lza"));
}

TEST(ClaimedNames, NameClaimedUnderOneSpellingIsClaimedUnderEveryOneTheDeviceTakesAsSame) {
    ClaimedNames folding(true);
    folding.claim(platform::Path("/stick/Rock/Песня.mp3"));
    EXPECT_TRUE(folding.claimed(platform::Path("/stick/ROCK/песня.MP3")));
    EXPECT_FALSE(folding.claimed(platform::Path("/stick/Rock/Песни.mp3")));
    EXPECT_FALSE(folding.claimed(platform::Path("/stick/Pop/Песня.mp3")));
    folding.release(platform::Path("/stick/rock/ПЕСНЯ.mp3"));
    EXPECT_EQ(folding.size(), 0u);

    ClaimedNames exact(false);
    exact.claim(platform::Path("/disk/Rock/a.mp3"));
    EXPECT_TRUE(exact.claimed(platform::Path("/disk/Rock/a.mp3")));
    EXPECT_FALSE(exact.claimed(platform::Path("/disk/rock/a.mp3")));
    EXPECT_FALSE(exact.claimed(platform::Path("/disk/Rock/A.mp3")));
}

// A USB stick with exFAT: refuses ? and :, folds case, and gives two spellings of one file
// different inode numbers.
class ExfatDestination : public ::testing::Test {
protected:
    TempFolder tmp;
    std::string stick = tmp / "stick";
    std::string src = tmp / "src";
    std::unique_ptr<ImageMount> mount;
    ScriptedHost host;
    RunFlags flags;
    i18n::StringTable table;
    bool noticePending = false;

    void SetUp() override {
        fs::create_directories(stick);
        fs::create_directories(src);
        mount =
            std::make_unique<ImageMount>(ImageMount::Kind::FuseExfat, tmp / "stick.img", stick, 16);
        if (!mount->mounted())
            GTEST_SKIP() << mount->reason();
        host.flags = &flags;
    }

    CopyRun::End run(const std::string& list, std::initializer_list<std::string> lines,
                     const std::string& destination, bool keepStructure, RunCounters& counters) {
        std::string text;
        for (const std::string& line : lines)
            text += line + "\n";
        writeFile(list, text);
        RunSetup s;
        s.playlists = {{playlist::PlaylistSource(list), list}};
        s.destination = platform::Path(destination);
        s.options.keepStructure = keepStructure;
        s.listSizeKB = 100;
        CopyRun copy(s, RunContext{host, host, host, flags, table, noticePending, host},
                     host.clock());
        const CopyRun::End end = copy.run();
        counters = copy.counters();
        return end;
    }
};

TEST_F(ExfatDestination, AFileIsNeverCopiedOntoItselfUnderAnotherLetterCase) {
    writeFile(stick + "/sub/x.mp3", "the only copy");
    ASSERT_EQ(platform::probeNameRules(stick).foldsCase, true);
    // "SUB" is the folder "sub": the target is the source, though its inode number differs.
    host.collisionAnswers.push_back(answer(CollisionAction::Replace));
    RunCounters counters;
    EXPECT_EQ(run(stick + "/list.m3u", {"sub/x.mp3"}, stick + "/SUB", false, counters),
              CopyRun::End::Completed);
    EXPECT_EQ(counters.identical, 1);
    EXPECT_EQ(counters.replaced, 0);
    EXPECT_TRUE(host.questions.empty()) << "no collision with itself";
    EXPECT_EQ(readFile(stick + "/sub/x.mp3"), "the only copy");
}

TEST_F(ExfatDestination, RefusedCharactersAreReplacedAndSafeOrCaseTwinsCollide) {
    writeFile(src + "/Live: Best?/Song \"1\".mp3", "one");
    writeFile(src + "/a/x?.mp3", "two");
    writeFile(src + "/b/x_.mp3", "three");
    writeFile(src + "/c/Song.mp3", "four");
    writeFile(src + "/d/song.mp3", "five");
    RunCounters counters;
    run(src + "/list.m3u",
        {"Live: Best?/Song \"1\".mp3", "a/x?.mp3", "b/x_.mp3", "c/Song.mp3", "d/song.mp3"}, stick,
        true, counters);
    EXPECT_EQ(counters.failed, 0);
    EXPECT_EQ(readFile(stick + "/Live_ Best_/Song _1_.mp3"), "one");
    EXPECT_EQ(readFile(stick + "/a/x_.mp3"), "two");
    EXPECT_EQ(counters.created, 5);
    EXPECT_TRUE(host.questions.empty());
    // Without the folders, both later twins meet the name taken before them.
    host.collisionAnswers.push_back(answer(CollisionAction::AutoRename));
    host.collisionAnswers.push_back(answer(CollisionAction::Skip));
    fs::create_directory(stick + "/flat");
    run(src + "/list.m3u", {"a/x?.mp3", "b/x_.mp3", "c/Song.mp3", "d/song.mp3"}, stick + "/flat",
        false, counters);
    ASSERT_EQ(host.questions.size(), 2u);
    EXPECT_EQ(host.questions[0].target.path, stick + "/flat/x_.mp3");
    EXPECT_EQ(readFile(stick + "/flat/x__001.mp3"), "three");
    EXPECT_EQ(counters.created, 2);
    EXPECT_EQ(counters.autoRenamed, 1);
    EXPECT_EQ(counters.skipped, 1);
    EXPECT_EQ(readFile(stick + "/flat/Song.mp3"), "four");
}

TEST_F(ExfatDestination, ATypedNameTheDeviceRefusesIsRefusedLikeATakenOne) {
    const platform::NameRules rules = platform::probeNameRules(stick);
    EXPECT_TRUE(rules.refusesWindowsCharacters);
    // exFAT states more bytes than its 255 characters allow; the probe finds the real limit.
    EXPECT_EQ(rules.maxNameBytes, 255u);
    EXPECT_EQ(checkTypedName(platform::Path(stick), "bad:name.mp3", rules).character, ":");
    EXPECT_FALSE(typedNameAcceptable(platform::Path(stick), "What?.mp3", rules));
    EXPECT_FALSE(typedNameAcceptable(platform::Path(stick), "../../escaped.mp3", rules));
    EXPECT_TRUE(typedNameAcceptable(platform::Path(stick), "What.mp3", rules));
    // A Linux folder takes the same name.
    EXPECT_TRUE(
        typedNameAcceptable(platform::Path(src), "What?.mp3", platform::probeNameRules(src)));
    EXPECT_TRUE(fs::is_empty(stick)) << "probe files are removed at once";
}

} // namespace
} // namespace tw::copy
