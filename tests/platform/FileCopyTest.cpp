#include "platform/FileCopy.h"
#include "CopyTestFiles.h"
#include "platform/ChunkedCopy.h"
#include "platform/FaultInjection.h"
#include "platform/FileSystem.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <thread>
#include <vector>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using tw::platform::ChunkedCopy;
using tw::platform::copyChunkBytes;
using tw::platform::copyFile;
using tw::platform::CopyResult;
using tw::test::folderEntries;
using tw::test::patternBytes;
using tw::test::readFile;
using tw::test::TempFolder;
using tw::test::writeFile;

namespace {

fs::file_time_type lastYear() {
    return fs::file_time_type::clock::now() - std::chrono::hours(24 * 365) +
           std::chrono::nanoseconds(123456789);
}

fs::perms permissionsOf(const std::string& path) {
    return fs::status(path).permissions();
}

} // namespace

TEST(FileCopy, NewTargetGetsContentModeAndLastWriteTimeInCreatedFolders) {
    TempFolder temp;
    const std::string source = temp / "in/song.mp3";
    const std::string content = patternBytes(300000, 1);
    writeFile(source, content);
    fs::permissions(source, fs::perms(0640));
    fs::last_write_time(source, lastYear());

    // Missing folders are created; a "\" in a name is a letter of that name.
    const std::string target = temp / "out/Rock/Live\\Bootleg/song.mp3";
    const CopyResult result = copyFile(source, target);

    ASSERT_TRUE(result.ok) << "errno " << result.errorNumber;
    const std::string written = temp / "out/Rock/Live\\Bootleg/song.mp3";
    EXPECT_EQ(readFile(written), content);
    EXPECT_EQ(permissionsOf(written), fs::perms(0640));
    EXPECT_EQ(fs::last_write_time(written), fs::last_write_time(source));
    EXPECT_EQ(folderEntries(temp / "out/Rock"), std::vector<std::string>{"Live\\Bootleg"});
}

TEST(FileCopy, ReadOnlySourceStaysReadOnlyAndUnchanged) {
    TempFolder temp;
    const std::string source = temp / "locked.mp3";
    writeFile(source, "music");
    fs::permissions(source, fs::perms(0444));
    const auto stamp = fs::last_write_time(source);

    ASSERT_TRUE(copyFile(source, temp / "copy.mp3").ok);
    EXPECT_EQ(permissionsOf(source), fs::perms(0444));
    EXPECT_EQ(fs::last_write_time(source), stamp);
    EXPECT_EQ(readFile(source), "music");
    EXPECT_EQ(permissionsOf(temp / "copy.mp3"), fs::perms(0444));
}

TEST(FileCopy, ReplacedTargetHoldsOnlyTheNewBytes) {
    TempFolder temp;
    writeFile(temp / "new.mp3", "short");
    writeFile(temp / "out/old.mp3", patternBytes(100000, 2));

    ASSERT_TRUE(copyFile(temp / "new.mp3", temp / "out/old.mp3").ok);
    EXPECT_EQ(readFile(temp / "out/old.mp3"), "short");
    EXPECT_EQ(folderEntries(temp / "out"), std::vector<std::string>{"old.mp3"});
}

TEST(FileCopy, EmptySourceGivesEmptyTarget) {
    TempFolder temp;
    writeFile(temp / "empty.mp3", "");
    writeFile(temp / "target.mp3", "old bytes");
    ASSERT_TRUE(copyFile(temp / "empty.mp3", temp / "target.mp3").ok);
    EXPECT_EQ(tw::platform::fileSize(temp / "target.mp3"), 0);
}

TEST(FileCopy, ProgressCountsUpToTheSizeInChunksOfAtMostTheLargest) {
    TempFolder temp;
    const std::size_t size = 2 * copyChunkBytes + 12345;
    const std::string content = patternBytes(size, 3);
    writeFile(temp / "big.flac", content);

    std::vector<std::uint64_t> done;
    const CopyResult result =
        copyFile(temp / "big.flac", temp / "copy.flac", [&](std::uint64_t d, std::uint64_t total) {
            EXPECT_EQ(total, size);
            done.push_back(d);
            return true;
        });

    ASSERT_TRUE(result.ok);
    ASSERT_FALSE(done.empty());
    // The first chunk is small: the device's speed is not known yet.
    EXPECT_EQ(done.front(), ChunkedCopy::firstChunkBytes);
    for (std::size_t i = 1; i < done.size(); ++i) {
        EXPECT_GT(done[i], done[i - 1]);
        EXPECT_LE(done[i] - done[i - 1], copyChunkBytes);
    }
    EXPECT_EQ(done.back(), size);
    EXPECT_TRUE(readFile(temp / "copy.flac") == content);
}

TEST(FileCopy, ASlowDeviceGetsChunksOfItsOwnPaceNotOfTheLargestSize) {
    // 20 MB/s: a chunk of the largest size would hold the caller for 400 ms.
    ChunkedCopy::setWritePacer([](std::uint64_t bytes) {
        std::this_thread::sleep_for(std::chrono::microseconds(bytes / 20));
    });
    TempFolder temp;
    const std::size_t size = 6 * 1024 * 1024;
    writeFile(temp / "slow.flac", patternBytes(size, 4));
    std::uint64_t last = 0, largest = 0;
    const CopyResult result =
        copyFile(temp / "slow.flac", temp / "copy.flac", [&](std::uint64_t d, std::uint64_t) {
            largest = std::max(largest, d - last);
            last = d;
            return true;
        });
    ChunkedCopy::setWritePacer({});
    ASSERT_TRUE(result.ok);
    // About 1 MB (50 ms at 20 MB/s); twice that leaves room for a slow machine.
    EXPECT_LE(largest, 2u * 1024u * 1024u);
}

TEST(FileCopy, CancelAfterFirstChunkLeavesNoTargetAndNoTemporaryFile) {
    TempFolder temp;
    writeFile(temp / "big.flac", patternBytes(2 * copyChunkBytes + 1, 4));
    fs::create_directory(temp / "out");
    int calls = 0;
    const auto cancelAtOnce = [&](std::uint64_t, std::uint64_t) { return ++calls > 1; };

    const CopyResult fresh = copyFile(temp / "big.flac", temp / "out/new.flac", cancelAtOnce);
    EXPECT_FALSE(fresh.ok);
    EXPECT_TRUE(fresh.cancelled);
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(folderEntries(temp / "out").empty());

    // A cancelled replace keeps the old file as it was.
    writeFile(temp / "out/old.flac", "old");
    calls = 0;
    const CopyResult replace = copyFile(temp / "big.flac", temp / "out/old.flac", cancelAtOnce);
    EXPECT_TRUE(replace.cancelled);
    EXPECT_EQ(readFile(temp / "out/old.flac"), "old");
    EXPECT_EQ(folderEntries(temp / "out"), std::vector<std::string>{"old.flac"});
}

TEST(FileCopy, ExceptionFromProgressRemovesTemporaryFileAndKeepsTarget) {
    TempFolder temp;
    writeFile(temp / "big.flac", patternBytes(copyChunkBytes + 1, 5));
    writeFile(temp / "out/t.flac", "old");
    const auto throwing = [](std::uint64_t, std::uint64_t) -> bool {
        throw std::runtime_error("window went away");
    };
    EXPECT_THROW(copyFile(temp / "big.flac", temp / "out/t.flac", throwing), std::runtime_error);
    EXPECT_EQ(readFile(temp / "out/t.flac"), "old");
    EXPECT_EQ(folderEntries(temp / "out"), std::vector<std::string>{"t.flac"});
}

TEST(FileCopy, VanishedSourceFailsAndLeavesTargetAlone) {
    TempFolder temp;
    writeFile(temp / "gone.mp3", "x");
    fs::remove(temp / "gone.mp3");
    writeFile(temp / "out/kept.mp3", "kept");

    const CopyResult fresh = copyFile(temp / "gone.mp3", temp / "out/new.mp3");
    EXPECT_FALSE(fresh.ok);
    EXPECT_FALSE(fresh.cancelled);
    EXPECT_EQ(fresh.errorNumber, ENOENT);

    const CopyResult replace = copyFile(temp / "gone.mp3", temp / "out/kept.mp3");
    EXPECT_EQ(replace.errorNumber, ENOENT);
    EXPECT_EQ(readFile(temp / "out/kept.mp3"), "kept");
    EXPECT_EQ(folderEntries(temp / "out"), std::vector<std::string>{"kept.mp3"});
}

TEST(FileCopy, SameFileUnderAnotherSpellingIsRefusedUntouched) {
    TempFolder temp;
    const std::string source = temp / "dir/a.mp3";
    const std::string content = patternBytes(50000, 6);
    writeFile(source, content);
    fs::last_write_time(source, lastYear());
    const auto stamp = fs::last_write_time(source);
    fs::create_directory_symlink(temp / "dir", temp / "link");
    fs::create_hard_link(source, temp / "dir/hard.mp3");

    const std::vector<std::string> spellings = {source, temp.path() + "//dir//a.mp3",
                                                temp / "dir/./a.mp3", temp / "link/a.mp3",
                                                temp / "dir/hard.mp3"};
    for (const std::string& target : spellings) {
        const CopyResult result = copyFile(source, target);
        EXPECT_FALSE(result.ok) << target;
        EXPECT_EQ(result.errorNumber, EINVAL) << target;
        EXPECT_TRUE(readFile(source) == content) << target;
        EXPECT_EQ(fs::last_write_time(source), stamp) << target;
    }
    EXPECT_EQ(folderEntries(temp / "dir"), (std::vector<std::string>{"a.mp3", "hard.mp3"}));
}

TEST(FileCopy, TargetThatIsFolderOrBehindAFileFails) {
    TempFolder temp;
    writeFile(temp / "a.mp3", "a");
    fs::create_directories(temp / "out/a.mp3/inside");
    writeFile(temp / "blocker", "file, not folder");

    const CopyResult onFolder = copyFile(temp / "a.mp3", temp / "out/a.mp3");
    EXPECT_EQ(onFolder.errorNumber, EISDIR);
    EXPECT_TRUE(fs::is_directory(temp / "out/a.mp3/inside"));

    const CopyResult behindFile = copyFile(temp / "a.mp3", temp / "blocker/sub/a.mp3");
    EXPECT_FALSE(behindFile.ok);
    EXPECT_NE(behindFile.errorNumber, 0);
    EXPECT_EQ(readFile(temp / "blocker"), "file, not folder");
}

TEST(FileCopy, SourceThatIsNoRegularFileIsRefusedWithoutWaiting) {
    TempFolder temp;
    fs::create_directory(temp / "folder.mp3");
    EXPECT_EQ(copyFile(temp / "folder.mp3", temp / "out/a.mp3").errorNumber, EISDIR);

    // Opening a named pipe for reading would wait for a writer forever.
    ASSERT_EQ(std::system(("mkfifo " + temp / "pipe.mp3").c_str()), 0);
    EXPECT_EQ(copyFile(temp / "pipe.mp3", temp / "out/b.mp3").errorNumber, EINVAL);
    EXPECT_TRUE(folderEntries(temp / "out").empty());
}

TEST(FileCopy, LongestAllowedNameIsCopied) {
    // The temporary name adds a prefix and suffix to the real name; a name at the file
    // system's limit must still be copied. Two-byte letters check that the cut keeps UTF-8.
    TempFolder temp;
    std::string name;
    while (name.size() + 2 <= 251)
        name += "\xD1\x8F"; // я
    name += ".mp3";
    ASSERT_EQ(name.size(), 254u);
    writeFile(temp / "s.mp3", "long");

    const CopyResult result = copyFile(temp / "s.mp3", temp / ("out/" + name));
    ASSERT_TRUE(result.ok) << "errno " << result.errorNumber;
    EXPECT_EQ(readFile(temp / ("out/" + name)), "long");
    EXPECT_EQ(folderEntries(temp / "out"), std::vector<std::string>{name});
}

TEST(FileCopy, SyncFileSystemNeedsAnExistingFolder) {
    TempFolder temp;
    EXPECT_TRUE(tw::platform::syncFileSystem(temp.path()));
    EXPECT_FALSE(tw::platform::syncFileSystem(temp / "missing"));
}

TEST(CopyBatch, NamesAppearOnlyAtCommitInCopyOrderAndAnAbandonedGroupLeavesNothing) {
    TempFolder temp;
    writeFile(temp / "one.mp3", "first");
    writeFile(temp / "two.mp3", "second");
    std::vector<std::string> told;
    const auto tell = [&told](const std::string& what) {
        return [&told, what](const CopyResult& r) { told.push_back(what + (r.ok ? "+" : "-")); };
    };
    const std::string dest = temp / "dest";
    {
        tw::platform::CopyBatch batch({3, 1u << 30, std::chrono::hours(1)});
        ASSERT_TRUE(batch.copy(temp / "one.mp3", dest + "/A.mp3", {}, tell("a")).ok);
        EXPECT_TRUE(batch.holds(dest + "/a.MP3"));
        EXPECT_FALSE(fs::exists(dest + "/A.mp3"));
        EXPECT_TRUE(told.empty());
        // A second file for the same name, meant to replace it, makes the first take it before.
        batch.copy(temp / "two.mp3", dest + "/A.mp3", {}, tell("a2"), true);
        EXPECT_EQ(readFile(dest + "/A.mp3"), "first");
        EXPECT_FALSE(batch.copy(temp / "missing.mp3", dest + "/m.mp3", {}, tell("m")).ok);
        batch.copy(temp / "one.mp3", dest + "/b.mp3", {}, tell("b"));
        batch.copy(temp / "two.mp3", dest + "/c.mp3", {}, tell("c")); // the third: a full group
        EXPECT_EQ(told, (std::vector<std::string>{"a+", "m-", "a2+", "b+", "c+"}));
        EXPECT_EQ(readFile(dest + "/A.mp3"), "second");
        batch.copy(temp / "one.mp3", dest + "/d.mp3", {}, tell("d"));
    }
    EXPECT_EQ(folderEntries(dest), (std::vector<std::string>{"A.mp3", "b.mp3", "c.mp3"}));
    EXPECT_EQ(told.size(), 5u) << "an abandoned file is never counted";
}

// The copy's name is taken by someone else while it waits: with no name of its own (linkat)
// or a hidden one (renameat2 without replacing, or its stand-in), nothing is replaced, and
// the copy goes where the caller then says.
void nameTakenWhileWaiting(bool hiddenNames) {
    TempFolder temp;
    const std::string dest = temp / "dest";
    fs::create_directories(dest);
    if (hiddenNames)
        tw::platform::injectFileFault(tw::platform::FileOperation::Unnamed, dest, EOPNOTSUPP, 8);
    writeFile(temp / "song.mp3", "the run's copy");
    std::vector<std::string> asked;
    CopyResult told;
    tw::platform::CopyBatch batch({8, 1u << 30, std::chrono::hours(1)});
    ASSERT_TRUE(
        batch
            .copy(
                temp / "song.mp3", dest + "/song.mp3", {}, [&](const CopyResult& r) { told = r; },
                false,
                [&](const std::string& target) {
                    asked.push_back(target);
                    return std::optional<tw::platform::CopyBatch::NewTarget>(
                        {asked.size() == 1 ? dest + "/taken too.mp3" : dest + "/song (2).mp3",
                         false,
                         {}});
                })
            .ok);
    writeFile(dest + "/song.mp3", "the user's own");
    fs::create_symlink(temp / "nowhere", dest + "/taken too.mp3");
    batch.commit();
    tw::platform::clearFileFaults();

    EXPECT_TRUE(told.ok);
    EXPECT_EQ(asked, (std::vector<std::string>{dest + "/song.mp3", dest + "/taken too.mp3"}));
    EXPECT_EQ(readFile(dest + "/song.mp3"), "the user's own");
    EXPECT_TRUE(fs::is_symlink(dest + "/taken too.mp3"));
    EXPECT_EQ(readFile(dest + "/song (2).mp3"), "the run's copy");
    EXPECT_EQ(folderEntries(dest),
              (std::vector<std::string>{"song (2).mp3", "song.mp3", "taken too.mp3"}));
}

TEST(CopyBatch, NameTakenWhileTheCopyWaitedIsNeverReplacedWhenTheCopyHasNoName) {
    nameTakenWhileWaiting(false);
}

TEST(CopyBatch, NameTakenWhileTheCopyWaitedIsNeverReplacedWhenTheCopyHasAHiddenName) {
    nameTakenWhileWaiting(true);
}

TEST(CopyBatch, LowDescriptorLimitShrinksTheGroupDownToOneFile) {
    TempFolder temp;
    constexpr int files = 60;
    for (int i = 0; i < files; ++i)
        writeFile(temp / ("src/" + std::to_string(i) + ".mp3"),
                  patternBytes(1000, static_cast<unsigned>(i)));
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Those a process starts with, and room for a few more: the limit set by hand.
        struct rlimit limit {};
        ::getrlimit(RLIMIT_NOFILE, &limit);
        limit.rlim_cur = 12;
        if (::setrlimit(RLIMIT_NOFILE, &limit) != 0)
            ::_exit(100);
        int copied = 0;
        tw::platform::CopyBatch batch;
        for (int i = 0; i < files; ++i) {
            const std::string name = std::to_string(i) + ".mp3";
            batch.copy(temp / ("src/" + name), temp / ("dest/" + name), {},
                       [&copied](const CopyResult& r) { copied += r.ok ? 1 : 0; });
        }
        batch.commit();
        ::_exit(copied == files ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "copies failed with 12 descriptors";
    EXPECT_EQ(folderEntries(temp / "dest").size(), static_cast<std::size_t>(files));
    EXPECT_TRUE(readFile(temp / "dest/59.mp3") == patternBytes(1000, 59));
}
