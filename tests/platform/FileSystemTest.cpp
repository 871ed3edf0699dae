#include "platform/FileSystem.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tw::platform {
namespace {

using test::TempFolder;
using test::writeFile;

TEST(FileExists, FolderIsNotAFileAndBackslashIsALetterOfAName) {
    TempFolder tmp;
    writeFile(tmp / "Music/a.mp3", "abc");
    writeFile(tmp / "AC\\DC.mp3", "abc");
    EXPECT_TRUE(fileExists(tmp / "Music/a.mp3"));
    EXPECT_FALSE(fileExists(tmp.path() + "\\Music\\a.mp3"));
    EXPECT_TRUE(fileExists(tmp / "AC\\DC.mp3"));
    EXPECT_FALSE(folderExists(tmp / "AC"));
    EXPECT_FALSE(fileExists(tmp / "Music"));
    EXPECT_FALSE(fileExists(tmp / "Music/"));
    EXPECT_FALSE(fileExists(tmp / "missing.mp3"));
    EXPECT_FALSE(fileExists(""));
    EXPECT_TRUE(folderExists(tmp / "Music"));
    EXPECT_FALSE(folderExists(tmp / "Music/a.mp3"));
}

TEST(FileExists, LinkToFileCountsLinkToFolderDoesNot) {
    TempFolder tmp;
    writeFile(tmp / "a.mp3", "x");
    std::filesystem::create_directory(tmp / "dir");
    std::filesystem::create_symlink(tmp / "a.mp3", tmp / "link.mp3");
    std::filesystem::create_symlink(tmp / "dir", tmp / "linkdir");
    EXPECT_TRUE(fileExists(tmp / "link.mp3"));
    EXPECT_FALSE(fileExists(tmp / "linkdir"));
}

TEST(FileSize, MinusOneForMissingAndFolder) {
    TempFolder tmp;
    writeFile(tmp / "f.bin", std::string(1500, 'x'));
    writeFile(tmp / "empty", "");
    EXPECT_EQ(fileSize(tmp / "f.bin"), 1500);
    EXPECT_EQ(fileSize(tmp / "empty"), 0);
    EXPECT_EQ(fileSize(tmp / "nope"), -1);
    EXPECT_EQ(fileSize(tmp.path()), -1);
}

TEST(LastWriteTime, FollowsTheFileAndIsEmptyWhenMissing) {
    TempFolder tmp;
    writeFile(tmp / "f", "x");
    const auto when = std::filesystem::file_time_type::clock::now() - std::chrono::hours(48);
    std::filesystem::last_write_time(tmp / "f", when);
    const auto t = lastWriteTime(tmp / "f");
    ASSERT_TRUE(t.has_value());
    const auto nowSeconds = std::chrono::duration_cast<std::chrono::seconds>(
                                std::chrono::system_clock::now().time_since_epoch())
                                .count();
    EXPECT_NEAR(static_cast<double>(nowSeconds - *t), 48 * 3600.0, 5.0);
    EXPECT_FALSE(lastWriteTime(tmp / "missing").has_value());
}

TEST(CreateFolders, MakesParentsAndSwallowsFailure) {
    TempFolder tmp;
    createFolders(tmp / "a/b/c");
    EXPECT_TRUE(folderExists(tmp / "a/b/c"));
    writeFile(tmp / "file", "x");
    createFolders(tmp / "file/sub"); // a file stands in the way: nothing thrown
    EXPECT_FALSE(folderExists(tmp / "file/sub"));
    EXPECT_TRUE(createFolder(tmp / "one"));
    EXPECT_TRUE(createFolder(tmp / "one"));
    EXPECT_FALSE(createFolder(tmp / "x/y"));
}

TEST(DeleteAndMove, ReportFailureAndReplaceTarget) {
    TempFolder tmp;
    writeFile(tmp / "a", "new");
    writeFile(tmp / "b", "old");
    EXPECT_TRUE(moveFile(tmp / "a", tmp / "b"));
    EXPECT_EQ(test::readFile(tmp / "b"), "new");
    EXPECT_FALSE(fileExists(tmp / "a"));
    EXPECT_FALSE(moveFile(tmp / "a", tmp / "c"));
    EXPECT_TRUE(deleteFile(tmp / "b"));
    EXPECT_FALSE(deleteFile(tmp / "b"));
}

TEST(SameFile, DifferentSpellingsAndLinksNameOneFile) {
    TempFolder tmp;
    writeFile(tmp / "d/a.mp3", "x");
    writeFile(tmp / "d/b.mp3", "x");
    std::filesystem::create_symlink(tmp / "d", tmp / "alias");
    EXPECT_TRUE(sameFile(tmp / "d/a.mp3", tmp.path() + "//d///a.mp3"));
    EXPECT_TRUE(sameFile(tmp / "d/a.mp3", tmp / "alias/a.mp3"));
    EXPECT_FALSE(sameFile(tmp / "d/a.mp3", tmp / "d/b.mp3"));
    EXPECT_FALSE(sameFile(tmp / "d/a.mp3", tmp / "d/missing.mp3"));
}

TEST(ProgramFolder, IsTheFolderOfThisTestWithoutTrailingSeparator) {
    const std::string folder = programFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_NE(folder.back(), '/');
    EXPECT_TRUE(folderExists(folder));
    EXPECT_TRUE(fileExists(folder + "/tw_platform_tests"));
}

} // namespace
} // namespace tw::platform
