#include "copy/Renaming.h"
#include "copy/ElapsedText.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

namespace tw::copy {
namespace {

using platform::Path;
using tw::test::TempFolder;
using tw::test::writeFile;

TEST(AutomaticName, CountsFromTheOriginalNameAndFillsGaps) {
    TempFolder tmp;
    writeFile(tmp / "song.mp3", "x");
    EXPECT_EQ(automaticName(Path(tmp / "song.mp3")), tmp.path() + "/song_001.mp3");

    writeFile(tmp / "song_002.mp3", "x");
    EXPECT_EQ(automaticName(Path(tmp / "song.mp3")), tmp.path() + "/song_001.mp3");

    writeFile(tmp / "song_001.mp3", "x");
    EXPECT_EQ(automaticName(Path(tmp / "song.mp3")), tmp.path() + "/song_003.mp3");
}

TEST(AutomaticName, FreeTargetIsKeptAndAFolderDoesNotTakeAName) {
    TempFolder tmp;
    EXPECT_EQ(automaticName(Path(tmp / "free.mp3")), tmp / "free.mp3");
    writeFile(tmp / "song.mp3", "x");
    std::filesystem::create_directory(tmp / "song_001.mp3");
    EXPECT_EQ(automaticName(Path(tmp / "song.mp3")), tmp.path() + "/song_001.mp3");
}

TEST(AutomaticName, ExtensionIsTheTextFromTheLastDot) {
    TempFolder tmp;
    writeFile(tmp / "README", "x");
    writeFile(tmp / "a.b.mp3", "x");
    EXPECT_EQ(automaticName(Path(tmp / "README")), tmp.path() + "/README_001");
    EXPECT_EQ(automaticName(Path(tmp / "a.b.mp3")), tmp.path() + "/a.b_001.mp3");
    writeFile(tmp / "Artist: Song.mp3", "x");
    EXPECT_EQ(automaticName(Path(tmp / "Artist: Song.mp3")), tmp.path() + "/Artist: Song_001.mp3");
    // A "\\" written in a playlist entry is a separator; anywhere else it is a letter.
    EXPECT_EQ(automaticName(Path::fromEntry(tmp.path() + "\\a.b.mp3")),
              tmp.path() + "/a.b_001.mp3");
    writeFile(tmp / "AC\\DC.mp3", "x");
    EXPECT_EQ(automaticName(Path(tmp / "AC\\DC.mp3")), tmp.path() + "/AC\\DC_001.mp3");
}

TEST(AutomaticName, CounterGrowsPastThreeDigits) {
    TempFolder tmp;
    writeFile(tmp / "s.mp3", "");
    for (int k = 1; k <= 999; ++k) {
        std::string number = std::to_string(k);
        number.insert(0, 3 - number.size(), '0');
        writeFile(tmp / ("s_" + number + ".mp3"), "");
    }
    EXPECT_EQ(automaticName(Path(tmp / "s.mp3")), tmp.path() + "/s_1000.mp3");
}

TEST(AutomaticName, ManyFilesOfOneNameCostOneLookEachWithTheCounterKept) {
    std::set<std::string> given;
    given.insert("/d/song_002.mp3"); // taken by someone else: skipped, not overwritten
    std::int64_t number = 1;
    int looks = 0;
    const auto taken = [&](const Path& candidate) {
        ++looks;
        return given.count(candidate.str()) != 0;
    };
    for (int i = 0; i < 3000; ++i)
        given.insert(automaticName(Path("/d/song.mp3"), number, taken).str());
    EXPECT_EQ(given.size(), 3001u);
    EXPECT_TRUE(given.count("/d/song_001.mp3") && given.count("/d/song_3001.mp3"));
    EXPECT_EQ(looks, 3001);
}

TEST(TypedNameAcceptable, RefusesTakenEmptyAndPathLikeNames) {
    TempFolder tmp;
    writeFile(tmp / "song.mp3", "x");
    std::filesystem::create_directory(tmp / "folder");
    EXPECT_FALSE(typedNameAcceptable(Path(tmp.path()), "song.mp3"));
    EXPECT_FALSE(typedNameAcceptable(Path(tmp.path()), ""));
    EXPECT_TRUE(typedNameAcceptable(Path(tmp.path()), "other.mp3"));
    EXPECT_TRUE(typedNameAcceptable(Path(tmp.path()), " song.mp3"));
    EXPECT_TRUE(typedNameAcceptable(Path(tmp.path()), "folder"));
    std::filesystem::create_symlink(tmp / "nowhere", tmp / "dangling.mp3");
    EXPECT_FALSE(typedNameAcceptable(Path(tmp.path()), "dangling.mp3"));
    // A typed name never leaves the target's folder.
    for (const char* path : {"..", ".", "../x.mp3", "sub/x.mp3", "sub\\x.mp3", "/"})
        EXPECT_FALSE(typedNameAcceptable(Path(tmp.path()), path)) << path;
}

TEST(ElapsedText, TwoDigitPartsAndUnboundedHours) {
    EXPECT_EQ(elapsedText(0), "00:00:00");
    EXPECT_EQ(elapsedText(999), "00:00:00");
    EXPECT_EQ(elapsedText(3725000), "01:02:05");
    EXPECT_EQ(elapsedText(59 * 60000 + 59999), "00:59:59");
    EXPECT_EQ(elapsedText(360000000), "100:00:00");
    EXPECT_EQ(elapsedText(0xFFFFFFFFu), "1193:02:47");
}

// The probe learns the longest name the folder takes, so that a typed name one byte longer
// is refused as too long before the copy fails on it; the name at the limit is taken.
TEST(Renaming, TypedNameLongerThanTheFolderTakesIsRefusedAsTooLong) {
    TempFolder folder;
    const platform::NameRules rules = platform::probeNameRules(folder.path());
    ASSERT_EQ(rules.maxNameBytes, 255u); // ext4 and tmpfs alike
    EXPECT_TRUE(std::filesystem::is_empty(folder.path())) << "probe files are removed at once";
    const std::string atLimit = std::string(251, 'x') + ".mp3";
    EXPECT_EQ(checkTypedName(Path(folder.path()), atLimit, rules).refusal, NameRefusal::None);
    const NameCheck over = checkTypedName(Path(folder.path()), "y" + atLimit, rules);
    EXPECT_EQ(over.refusal, NameRefusal::TooLong);
    EXPECT_EQ(over.maxNameBytes, 255u);
    // Where nothing can be learnt, the Linux limit holds.
    EXPECT_EQ(platform::probeNameRules(folder / "missing").maxNameBytes, 255u);
}

} // namespace
} // namespace tw::copy
