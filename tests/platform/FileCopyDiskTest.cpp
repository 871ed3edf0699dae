// Copies onto real file systems made for the test: a FAT32 stick through FUSE, and an ext4
// disk that is "unplugged" in the middle of a run.
#include "CopyTestFiles.h"
#include "platform/FaultInjection.h"
#include "platform/File.h"
#include "platform/FileCopy.h"
#include "platform/TemporaryFile.h"
#include "support/ImageMount.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using tw::platform::copyFile;
using tw::platform::CopyResult;
using tw::platform::FileHandle;
using tw::platform::FileOperation;
using tw::platform::TemporaryFile;
using tw::test::folderEntries;
using tw::test::ImageMount;
using tw::test::patternBytes;
using tw::test::readFile;
using tw::test::runCommand;
using tw::test::TempFolder;
using tw::test::writeFile;

namespace {

constexpr std::size_t KiB = 1024;

TEST(FatStick, CopyKeepsItsDataWhereAttributesAreRefusedAndA4GiBFileFailsAtOnce) {
    TempFolder temp;
    fs::create_directory(temp / "stick");
    ImageMount stick(ImageMount::Kind::FuseFat, temp / "stick.img", temp / "stick", 48);
    if (!stick.mounted())
        GTEST_SKIP() << stick.reason();
    const std::string song = temp / "src/song.mp3";
    writeFile(song, patternBytes(300 * KiB, 1));
    // Sparse: 4 GiB that take no room on the source disk.
    const std::string film = temp / "src/film.mkv";
    writeFile(film, "");
    fs::resize_file(film, 4ull * 1024 * 1024 * 1024);

    // fusefat answers fchmod with ENOSYS.
    const CopyResult copied = copyFile(song, temp / "stick/Music/song.mp3");
    ASSERT_TRUE(copied.ok) << "errno " << copied.errorNumber;
    EXPECT_TRUE(readFile(temp / "stick/Music/song.mp3") == readFile(song));

    int chunks = 0;
    const CopyResult tooLarge = copyFile(film, temp / "stick/Music/film.mkv", [&](auto, auto) {
        ++chunks;
        return true;
    });
    EXPECT_EQ(tooLarge.errorNumber, tw::platform::fileTooLargeError);
    EXPECT_EQ(chunks, 0) << "bytes were written before the size was refused";
    EXPECT_EQ(folderEntries(temp / "stick/Music"), std::vector<std::string>{"song.mp3"});
}

TEST(ExfatStick, TwoRunsNamingOneFolderAtOnceNeverPutOneCopyOverTheOther) {
    // exFAT drivers through FUSE can neither rename without replacing nor link, so a name is
    // looked at before the rename. Two runs into one stick both found names free, and the
    // later rename replaced the other run's copy, which its report still counted.
    TempFolder temp;
    const std::string stick = temp / "stick";
    fs::create_directory(stick);
    ImageMount mount(ImageMount::Kind::FuseExfat, temp / "stick.img", stick, 16);
    if (!mount.mounted())
        GTEST_SKIP() << mount.reason();
    TemporaryFile ours;
    ASSERT_EQ(ours.create(stick, "Song.mp3"), 0);
    ASSERT_EQ(ours.write("ours"), 0);

    // The other run is naming its copy: it holds the folder, found the name free, and takes
    // it a moment later.
    const FileHandle folder(::open(stick.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    ASSERT_EQ(::flock(folder.get(), LOCK_EX), 0);
    std::thread otherRun([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        writeFile(stick + "/Song.mp3", "theirs");
        ::flock(folder.get(), LOCK_UN);
    });
    const int named = ours.commitAs(stick + "/Song.mp3", TemporaryFile::Naming::NewOnly);
    otherRun.join();
    EXPECT_EQ(named, EEXIST);
    EXPECT_EQ(readFile(stick + "/Song.mp3"), "theirs");
}

// Sets a file's last write an hour back, as a copy killed long ago leaves it.
void writtenAnHourAgo(const std::string& path) {
    fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::hours(1));
}

TEST(StaleTemporaryFiles, FirstCopyIntoAFolderRemovesOnlyOursThatNoCopyHolds) {
    TempFolder temp;
    const std::string dest = temp / "dest";
    writeFile(dest + "/.a.mp3.tunewagon-Ab12Cd", "left by a killed copy");
    writtenAnHourAgo(dest + "/.a.mp3.tunewagon-Ab12Cd");
    writeFile(dest + "/.b.mp3.tunewagon-Ab12Cd34Ef56Gh78Ij90", "left by a killed copy");
    writtenAnHourAgo(dest + "/.b.mp3.tunewagon-Ab12Cd34Ef56Gh78Ij90");
    // A copy running at the same time, on a file system where copies have hidden names.
    tw::platform::injectFileFault(FileOperation::Unnamed, dest, EOPNOTSUPP, 1);
    tw::platform::TemporaryFile held;
    ASSERT_EQ(held.create(dest, "b.mp3"), 0);
    std::vector<std::string> kept = {".c.mp3.tunewagon-12345", "d.mp3.tunewagon-abcdef",
                                     ".e.tunewagon-abc!ef", ".diary.tunewagon-backup"};
    for (const std::string& name : kept) {
        writeFile(dest + "/" + name, "user data");
        writtenAnHourAgo(dest + "/" + name);
    }
    // Of the form, unlocked, but written to a minute ago: a copy may still be at it.
    kept.push_back(".f.mp3.tunewagon-Zz12Cd34Ef56Gh78Ij90");
    writeFile(dest + "/" + kept.back(), "being written");
    writeFile(temp / "outside.txt", "not ours");
    fs::create_symlink(temp / "outside.txt", dest + "/.linked.tunewagon-abcdef");
    fs::create_directory(dest + "/.folder.tunewagon-abcdef");
    writeFile(temp / "x.mp3", "x");

    ASSERT_TRUE(copyFile(temp / "x.mp3", dest + "/x.mp3").ok);

    std::vector<std::string> expected = kept;
    expected.push_back(".linked.tunewagon-abcdef");
    expected.push_back(".folder.tunewagon-abcdef");
    expected.push_back(fs::path(held.path()).filename());
    expected.push_back("x.mp3");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(folderEntries(dest), expected);
    EXPECT_EQ(readFile(temp / "outside.txt"), "not ours");
}

// What a power cut leaves: a copy process frozen in the middle of its run, and the disk
// image as the device holds it at that moment, checked and mounted on its own. Copies in
// progress have no name where the file system allows it, and hidden names where it does not.
void powerCut(bool hiddenNames) {
    TempFolder temp;
    fs::create_directory(temp / "disk");
    ImageMount disk(ImageMount::Kind::Ext4, temp / "disk.img", temp / "disk", 64);
    if (!disk.mounted())
        GTEST_SKIP() << disk.reason();
    constexpr int singles = 8;
    constexpr int batched = 100;
    std::vector<std::string> contents;
    for (int i = 0; i < singles + batched; ++i) {
        contents.push_back(patternBytes((40 + i % 7 * 20) * KiB, 100 + static_cast<unsigned>(i)));
        writeFile(temp / ("src/" + std::to_string(i) + ".mp3"), contents.back());
    }

    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (hiddenNames)
            tw::platform::injectFileFault(FileOperation::Unnamed, temp / "disk", EOPNOTSUPP,
                                          1 << 20);
        // One by one, then as a copy run does it; then the run "goes on" with the rest of the
        // group still waiting for its names.
        for (int i = 0; i < singles; ++i) {
            const std::string name = std::to_string(i) + ".mp3";
            copyFile(temp / ("src/" + name), temp / ("disk/" + name));
        }
        tw::platform::CopyBatch batch({64, 1u << 30, std::chrono::hours(1)});
        for (int i = singles; i < singles + batched; ++i) {
            const std::string name = std::to_string(i) + ".mp3";
            batch.copy(temp / ("src/" + name), temp / ("disk/" + name), {}, {});
        }
        const char byte = 1;
        if (::write(ready[1], &byte, 1) != 1)
            ::_exit(1);
        for (;;)
            ::pause();
    }
    ::close(ready[1]);
    char byte = 0;
    const bool childReady = ::read(ready[0], &byte, 1) == 1;
    ::close(ready[0]);
    // Long enough for the journal to commit what the copy did to names and sizes.
    std::this_thread::sleep_for(std::chrono::milliseconds(2500));
    ::kill(child, SIGSTOP);
    fs::copy_file(temp / "disk.img", temp / "cut.img");
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    ASSERT_TRUE(childReady) << "the copying process died";
    ASSERT_TRUE(disk.unmount());

    // e2fsck: 0 clean, 1 errors corrected; more is a damaged file system.
    const std::string fsck = runCommand({"/usr/sbin/e2fsck", "-fy", temp / "cut.img"});
    EXPECT_TRUE(fsck.empty() || fsck.find("failed (1)") != std::string::npos) << fsck;
    fs::create_directory(temp / "cut");
    ASSERT_EQ(runCommand({"mount", "-o", "loop", temp / "cut.img", temp / "cut"}), "");
    struct Unmount {
        std::string folder;
        ~Unmount() { runCommand({"umount", folder}); }
    } cutMount{temp / "cut"};
    int whole = 0;
    for (int i = 0; i < singles + batched; ++i) {
        const std::string path = temp / ("cut/" + std::to_string(i) + ".mp3");
        if (!fs::exists(path))
            continue;
        EXPECT_TRUE(readFile(path) == contents[static_cast<std::size_t>(i)])
            << path << " holds " << fs::file_size(path) << " bytes of " << contents[i].size();
        ++whole;
    }
    // The single copies and the first full group were flushed before they were named.
    EXPECT_GE(whole, singles + 64);

    const auto hidden = [&] {
        int n = 0;
        for (const std::string& name : folderEntries(temp / "cut"))
            n += name[0] == '.' ? 1 : 0;
        return n;
    };
    if (!hiddenNames) {
        // The group still waiting had no names: nothing of it is left but free space.
        EXPECT_EQ(folderEntries(temp / "cut").size(), static_cast<std::size_t>(whole) + 1)
            << "besides lost+found";
        return;
    }
    // The group still waiting is left under hidden names; the next copy there clears them.
    EXPECT_GT(hidden(), 0);
    for (const std::string& name : folderEntries(temp / "cut"))
        if (name[0] == '.')
            writtenAnHourAgo(temp / ("cut/" + name));
    EXPECT_TRUE(copyFile(temp / "src/0.mp3", temp / "cut/again.mp3").ok);
    EXPECT_EQ(hidden(), 0);
}

TEST(PowerCut, NoRealNameHoldsLessThanItsSourceAndUnnamedCopiesLeaveNothing) {
    powerCut(false);
}

TEST(PowerCut, NoRealNameHoldsLessThanItsSourceAndHiddenCopiesAreClearedLater) {
    powerCut(true);
}

} // namespace
