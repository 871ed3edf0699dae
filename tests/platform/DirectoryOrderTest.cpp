// Directory order on FAT-like sticks: players that ignore playlists play a folder's files in
// the order of its entries, so the copied files must be entered in the order they were copied.
#include "CopyTestFiles.h"
#include "platform/DestinationFolder.h"
#include "platform/File.h"
#include "platform/FileCopy.h"
#include "platform/WorkingFolder.h"
#include "support/ImageMount.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace fs = std::filesystem;
using tw::platform::CopyBatch;
using tw::platform::CopyResult;
using tw::platform::DestinationFolder;
using tw::platform::FileHandle;
using tw::platform::WorkingFolder;
using tw::test::folderEntries;
using tw::test::ImageMount;
using tw::test::patternBytes;
using tw::test::readFile;
using tw::test::TempFolder;
using tw::test::writeFile;

namespace {

// The names of the folder's entries of one kind in the order the folder holds them.
std::vector<std::string> entryOrder(const std::string& folder, fs::file_type type) {
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder))
        if (entry.symlink_status().type() == type)
            names.push_back(entry.path().filename().string());
    return names;
}

class DirectoryOrderOnStick : public ::testing::TestWithParam<ImageMount::Kind> {};

TEST_P(DirectoryOrderOnStick, FilesAreEnteredInCopyOrderOverGroupsFoldersAndRuns) {
    TempFolder temp;
    const std::string stick = temp / "stick";
    fs::create_directory(stick);
    ImageMount mount(GetParam(), temp / "stick.img", stick, 64);
    if (!mount.mounted())
        GTEST_SKIP() << mount.reason();

    // Names of 1 to about 100 characters (a long one takes many directory slots, a short one
    // fits a hole a long one left), empty to large files, in the stick's root and in two
    // folders below it, as a run keeping the playlist's folders would place them.
    const std::vector<std::string> folders = {"", "Artist/Album One", "Artist/Album Two"};
    struct Entry {
        std::string source, target, folder;
    };
    std::vector<Entry> entries;
    for (int i = 0; i < 40; ++i) {
        std::string name = (i < 10 ? "0" : "") + std::to_string(i) + " ";
        name += std::string(static_cast<std::size_t>((i * 37) % 97), 'a' + char(i % 26));
        name += ".mp3";
        const std::size_t size = i == 17 ? 9u * 1024 * 1024 : i % 9 == 0 ? 0 : 1000u * i;
        const std::string source = temp / ("src/" + std::to_string(i));
        writeFile(source, patternBytes(size, unsigned(i)));
        const std::string& folder = folders[std::size_t(i) % folders.size()];
        entries.push_back(
            {source, stick + (folder.empty() ? "" : "/" + folder) + "/" + name, folder});
    }

    // Two runs, the second adding to what the first left; small groups, so that names are
    // given over many flushes.
    const auto copyRun = [&](std::size_t from, std::size_t to) {
        auto destination = std::make_shared<DestinationFolder>(stick);
        CopyBatch batch(CopyBatch::Limits{3, 1024 * 1024, std::chrono::milliseconds(2000)});
        batch.holdDestination(destination);
        for (std::size_t i = from; i < to; ++i) {
            const CopyResult r = batch.copy(entries[i].source, entries[i].target, {}, {});
            ASSERT_TRUE(r.ok) << entries[i].target << ": " << r.errorNumber;
        }
        batch.commit();
    };
    copyRun(0, 22);
    copyRun(22, entries.size());
    // Nothing of the program's is left on the stick.
    std::vector<std::string> rootEntries = {"Artist"};
    for (const Entry& e : entries)
        if (e.folder.empty())
            rootEntries.push_back(fs::path(e.target).filename().string());
    std::sort(rootEntries.begin(), rootEntries.end());
    EXPECT_EQ(folderEntries(stick), rootEntries);

    // What the image holds, not what the driver remembers.
    ASSERT_EQ(mount.remount(), "");
    std::map<std::string, std::vector<std::string>> expected;
    for (const Entry& e : entries)
        expected[e.folder].push_back(fs::path(e.target).filename().string());
    for (const auto& [folder, names] : expected) {
        const std::string path = folder.empty() ? stick : stick + "/" + folder;
        EXPECT_EQ(entryOrder(path, fs::file_type::regular), names) << "in " << path;
    }
    EXPECT_EQ(entryOrder(stick + "/Artist", fs::file_type::directory),
              (std::vector<std::string>{"Album One", "Album Two"}));
    EXPECT_EQ(readFile(entries[17].target), patternBytes(9u * 1024 * 1024, 17));
    EXPECT_EQ(readFile(entries[39].target), patternBytes(39000, 39));
}

INSTANTIATE_TEST_SUITE_P(FatLikeDrivers, DirectoryOrderOnStick,
                         ::testing::Values(ImageMount::Kind::FuseExfat, ImageMount::Kind::FuseFat),
                         [](const ::testing::TestParamInfo<ImageMount::Kind>& info) {
                             return info.param == ImageMount::Kind::FuseExfat ? "FuseExfat"
                                                                              : "FuseFat";
                         });

TEST(WorkingFolder, AbandonedFoldersAreRemovedButALiveRunsFolderAndUserFilesAreKept) {
    TempFolder temp;
    const std::string root = temp / "dest";
    // Left by a killed run: its folder with a copy in progress.
    const std::string abandoned = root + "/.tunewagon-work-AbandonedByAKill0001";
    writeFile(abandoned + "/.Song.mp3.tunewagon-abcdefghij0123456789", "part");
    // Of the same form, but holding a file the program never makes.
    const std::string withUserFile = root + "/.tunewagon-work-HoldsAFileOfAUser002";
    writeFile(withUserFile + "/notes.txt", "mine");
    const auto rootHandle = std::make_shared<const FileHandle>(
        ::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));

    // Another instance's folder, held for as long as it lives: its lock is its own.
    std::shared_ptr<WorkingFolder> live = WorkingFolder::make(rootHandle, root);
    ASSERT_NE(live, nullptr);
    const auto otherRoot = std::make_shared<const FileHandle>(
        ::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    std::shared_ptr<WorkingFolder> mine = WorkingFolder::make(otherRoot, root);
    ASSERT_NE(mine, nullptr);

    EXPECT_NE(mine->path(), live->path());
    EXPECT_EQ(fs::path(mine->path()).filename().string().size(),
              fs::path(abandoned).filename().string().size());
    EXPECT_TRUE(fs::is_directory(live->path()));
    EXPECT_FALSE(fs::exists(abandoned));
    EXPECT_EQ(readFile(withUserFile + "/notes.txt"), "mine");

    const std::string livePath = live->path();
    live.reset();
    EXPECT_FALSE(fs::exists(livePath));
    EXPECT_TRUE(fs::is_directory(mine->path()));
}

} // namespace
