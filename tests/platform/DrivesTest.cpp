#include "platform/Drives.h"
#include "platform/FileSystem.h"
#include "support/TempFolder.h"
#include "support/TmpfsMount.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;
using tw::platform::DriveType;
using tw::platform::driveType;
using tw::platform::freeBytes;
using tw::platform::isLocalDrive;
using tw::test::TempFolder;
using tw::test::TmpfsMount;

TEST(Drives, TmpfsIsARamDiskAndNotLocal) {
    TempFolder temp;
    fs::create_directories(temp / "ram/sub");
    const TmpfsMount mount(temp / "ram", "size=2m");
    if (!mount.mounted())
        GTEST_SKIP() << mount.reason();
    tw::test::writeFile(temp / "ram/sub/a.mp3", "a");

    EXPECT_EQ(driveType(temp / "ram"), DriveType::RamDisk);
    EXPECT_EQ(driveType(temp / "ram/sub/a.mp3"), DriveType::RamDisk);
    EXPECT_FALSE(isLocalDrive(temp / "ram/sub"));
    // The folder holding the mount point is still the disk it was.
    EXPECT_EQ(driveType(temp.path()), driveType(fs::temp_directory_path().string()));
}

TEST(Drives, BuildFolderIsALocalDrive) {
    const std::string folder = tw::platform::programFolder();
    const DriveType type = driveType(folder);
    EXPECT_TRUE(type == DriveType::Fixed || type == DriveType::Removable)
        << "drive type " << static_cast<int>(type) << " for " << folder;
    EXPECT_EQ(isLocalDrive(folder), type == DriveType::Fixed || type == DriveType::Removable);
}

TEST(Drives, MissingPathHasNoRoot) {
    TempFolder temp;
    EXPECT_EQ(driveType(temp / "missing/folder"), DriveType::NoRootDir);
    EXPECT_EQ(driveType(""), DriveType::NoRootDir);
    EXPECT_FALSE(isLocalDrive(temp / "missing"));
    EXPECT_EQ(freeBytes(temp / "missing"), -1);
    EXPECT_EQ(freeBytes(""), -1);
}

TEST(Drives, FreeBytesFollowsWhatIsWritten) {
    TempFolder temp;
    fs::create_directory(temp / "small");
    const TmpfsMount mount(temp / "small", "size=2m");
    if (!mount.mounted())
        GTEST_SKIP() << mount.reason();

    const std::int64_t empty = freeBytes(temp / "small");
    EXPECT_GT(empty, 1024 * 1024);
    EXPECT_LE(empty, 2 * 1024 * 1024);
    tw::test::writeFile(temp / "small/half.bin", std::string(512 * 1024, 'x'));
    EXPECT_LE(freeBytes(temp / "small"), empty - 512 * 1024);
}

namespace {

// An overlay mount of the test's own, unmounted when the object goes.
class OverlayMount {
public:
    explicit OverlayMount(const TempFolder& temp)
        : m_point(temp / "merged") {
        for (const char* name : {"lower", "upper", "work", "merged"})
            fs::create_directory(temp / name);
        const std::string command = "mount -t overlay overlay -o lowerdir=" + temp / "lower" +
                                    ",upperdir=" + temp / "upper" + ",workdir=" + temp / "work" +
                                    " " + m_point + " 2>/dev/null";
        m_mounted = std::system(command.c_str()) == 0;
    }
    ~OverlayMount() {
        if (m_mounted)
            m_mounted = std::system(("umount " + m_point).c_str()) != 0;
    }
    OverlayMount(const OverlayMount&) = delete;
    OverlayMount& operator=(const OverlayMount&) = delete;
    bool mounted() const { return m_mounted; }

private:
    std::string m_point;
    bool m_mounted = false;
};

} // namespace

TEST(Drives, OverlayTakesTheTypeOfTheFolderItWritesTo) {
    TempFolder temp;
    const OverlayMount overlay(temp);
    if (!overlay.mounted())
        GTEST_SKIP() << "cannot mount an overlay here (needs root)";
    EXPECT_EQ(driveType(temp / "merged"), driveType(temp / "upper"));
    EXPECT_NE(driveType(temp / "merged"), DriveType::Unknown);
}
