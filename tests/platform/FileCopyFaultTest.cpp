// Copies onto small or read-only file systems mounted for the test: nothing may be lost or
// left half-written when the destination runs full or refuses writes.
#include "CopyTestFiles.h"
#include "platform/Drives.h"
#include "platform/FileCopy.h"
#include "platform/FileSystem.h"
#include "support/TempFolder.h"
#include "support/TmpfsMount.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <memory>
#include <vector>

namespace fs = std::filesystem;
using tw::platform::copyChunkBytes;
using tw::platform::copyFile;
using tw::platform::CopyResult;
using tw::test::folderEntries;
using tw::test::patternBytes;
using tw::test::readFile;
using tw::test::TempFolder;
using tw::test::TmpfsMount;
using tw::test::writeFile;

namespace {

constexpr std::size_t KiB = 1024;

// Sources on the ordinary disk, a destination folder with a tmpfs of its own.
class SmallDestination : public ::testing::Test {
protected:
    void mountDestination(const std::string& options) {
        fs::create_directory(dest());
        m_mount = std::make_unique<TmpfsMount>(dest(), options);
        if (!m_mount->mounted())
            GTEST_SKIP() << m_mount->reason();
    }
    std::string dest() const { return m_temp / "dest"; }
    std::string source(const std::string& name, std::size_t size, unsigned seed) {
        const std::string path = m_temp / ("src/" + name);
        writeFile(path, patternBytes(size, seed));
        return path;
    }

    TempFolder m_temp; // removed after the mount below is gone
    std::unique_ptr<TmpfsMount> m_mount;
};

} // namespace

TEST_F(SmallDestination, FilesThatFitAreWholeAndTheOneThatDoesNotLeavesNothing) {
    mountDestination("size=2m");
    const std::string a = source("a.mp3", 700 * KiB, 1);
    const std::string b = source("b.mp3", 700 * KiB, 2);
    const std::string tooBig = source("c.mp3", 900 * KiB, 3);
    const std::string d = source("d.mp3", 300 * KiB, 4);

    EXPECT_TRUE(copyFile(a, dest() + "/a.mp3").ok);
    EXPECT_TRUE(copyFile(b, dest() + "/b.mp3").ok);
    const CopyResult full = copyFile(tooBig, dest() + "/c.mp3");
    EXPECT_FALSE(full.ok);
    EXPECT_EQ(full.errorNumber, ENOSPC);
    // The failed file's space is given back, so a smaller one after it still fits.
    EXPECT_TRUE(copyFile(d, dest() + "/d.mp3").ok);

    EXPECT_EQ(folderEntries(dest()), (std::vector<std::string>{"a.mp3", "b.mp3", "d.mp3"}));
    EXPECT_TRUE(readFile(dest() + "/a.mp3") == readFile(a));
    EXPECT_TRUE(readFile(dest() + "/b.mp3") == readFile(b));
    EXPECT_TRUE(readFile(dest() + "/d.mp3") == readFile(d));
}

TEST_F(SmallDestination, ReplaceThatRunsOutOfSpaceKeepsTheOldFileAndFreesTheSpace) {
    mountDestination("size=2m");
    const std::string oldContent = patternBytes(1024 * KiB, 5);
    writeFile(dest() + "/song.mp3", oldContent);
    const std::int64_t freeBefore = tw::platform::freeBytes(dest());
    const std::string bigger = source("song.mp3", 1536 * KiB, 6);

    const CopyResult result = copyFile(bigger, dest() + "/song.mp3");
    EXPECT_EQ(result.errorNumber, ENOSPC);
    EXPECT_TRUE(readFile(dest() + "/song.mp3") == oldContent);
    EXPECT_EQ(folderEntries(dest()), std::vector<std::string>{"song.mp3"});
    EXPECT_EQ(tw::platform::freeBytes(dest()), freeBefore);
}

TEST_F(SmallDestination, KernelCopyWithinOneFileSystemRunningFullLeavesNothing) {
    // Source and target on the same tmpfs: the data move inside the kernel, and it is that
    // path that must report the full disk.
    mountDestination("size=2m");
    const std::string content = patternBytes(900 * KiB, 7);
    writeFile(dest() + "/one.mp3", content);

    EXPECT_TRUE(copyFile(dest() + "/one.mp3", dest() + "/two.mp3").ok);
    const CopyResult full = copyFile(dest() + "/one.mp3", dest() + "/sub/three.mp3");
    EXPECT_EQ(full.errorNumber, ENOSPC);
    EXPECT_TRUE(readFile(dest() + "/two.mp3") == content);
    EXPECT_TRUE(folderEntries(dest() + "/sub").empty());
}

TEST_F(SmallDestination, CopyAcrossFileSystemsMovesEveryChunk) {
    // From the disk to a tmpfs the kernel refuses to copy between the two file systems, so
    // the data go through the program's own buffer.
    mountDestination("size=40m");
    const std::size_t size = 2 * copyChunkBytes + 777;
    const std::string from = source("long.flac", size, 8);
    fs::permissions(from, fs::perms(0604));
    int chunks = 0;

    const CopyResult result = copyFile(from, dest() + "/long.flac", [&](auto, auto) {
        ++chunks;
        return true;
    });
    ASSERT_TRUE(result.ok) << "errno " << result.errorNumber;
    EXPECT_GE(chunks, 3);
    EXPECT_TRUE(readFile(dest() + "/long.flac") == readFile(from));
    EXPECT_EQ(fs::status(dest() + "/long.flac").permissions(), fs::perms(0604));
    EXPECT_EQ(fs::last_write_time(dest() + "/long.flac"), fs::last_write_time(from));
}

TEST_F(SmallDestination, ReadOnlyDestinationRefusesWithoutCreatingAnything) {
    mountDestination("size=1m,ro");
    const std::string song = source("a.mp3", 10 * KiB, 9);

    EXPECT_EQ(copyFile(song, dest() + "/a.mp3").errorNumber, EROFS);
    EXPECT_EQ(copyFile(song, dest() + "/Rock/Live/a.mp3").errorNumber, EROFS);
    EXPECT_TRUE(folderEntries(dest()).empty());
}

TEST_F(SmallDestination, ReplaceOnReadOnlyDestinationKeepsTheTarget) {
    mountDestination("size=1m");
    writeFile(dest() + "/a.mp3", "old");
    ASSERT_TRUE(m_mount->remount("ro")) << "cannot make the tmpfs read-only";
    const std::string song = source("a.mp3", 10 * KiB, 10);

    EXPECT_EQ(copyFile(song, dest() + "/a.mp3").errorNumber, EROFS);
    EXPECT_EQ(readFile(dest() + "/a.mp3"), "old");
    EXPECT_EQ(folderEntries(dest()), std::vector<std::string>{"a.mp3"});
}

TEST_F(SmallDestination, SourceCutWhileItIsCopiedFailsOnBothRoads) {
    // Same disk: the kernel moves the data; to the tmpfs: the program's own buffer does.
    mountDestination("size=40m");
    for (const std::string& folder : {std::string(m_temp / "disk"), dest()}) {
        const std::string from = source("cut.flac", 2 * copyChunkBytes + 333, 11);
        const CopyResult result = copyFile(from, folder + "/cut.flac", [&](auto done, auto) {
            if (done <= copyChunkBytes)
                fs::resize_file(from, copyChunkBytes + 4096);
            return true;
        });
        EXPECT_FALSE(result.ok) << folder;
        EXPECT_EQ(result.errorNumber, tw::platform::sourceShrankError) << folder;
        EXPECT_TRUE(folderEntries(folder).empty()) << folder;
    }
}
