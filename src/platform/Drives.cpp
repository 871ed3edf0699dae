#include "platform/Drives.h"

#include "platform/BlockDevices.h"
#include "platform/DriveClassifier.h"
#include "platform/FileSystem.h"
#include "platform/MountInfo.h"

#include <array>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string_view>
#include <system_error>

#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace tw::platform {

namespace {

// How many overlays on overlays, or device mappings on device mappings, are followed.
constexpr int maxStackDepth = 4;

std::string lastComponent(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string parentFolder(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos || slash == 0 ? std::string("/") : path.substr(0, slash);
}

bool exists(const std::string& path) {
    return ::access(path.c_str(), F_OK) == 0;
}

// The /sys folder of the whole disk a block device belongs to.
std::string diskFolderOf(const std::string& deviceFolder) {
    return exists(deviceFolder + "/partition") ? parentFolder(deviceFolder) : deviceFolder;
}

// A disk is removable when it says so, or when it is a mapping (encryption, volume manager)
// over a removable one.
bool isRemovableDisk(const std::string& diskFolder, int depth) {
    if (readWholeTextFile(diskFolder + "/removable").rfind('1', 0) == 0)
        return true;
    if (depth >= maxStackDepth)
        return false;
    std::error_code ec;
    for (const auto& slave : std::filesystem::directory_iterator(diskFolder + "/slaves", ec)) {
        const std::string folder = canonicalPath(slave.path().string());
        if (!folder.empty() && isRemovableDisk(diskFolderOf(folder), depth + 1))
            return true;
    }
    return false;
}

class DriveProbe {
public:
    DriveProbe()
        : m_mounts(parseMountInfo(readWholeTextFile("/proc/self/mountinfo"))) {}

    DriveType typeOf(const std::string& path, int depth) {
        struct statfs fs {};
        struct stat st {};
        if (path.empty() || ::statfs(path.c_str(), &fs) != 0 || ::stat(path.c_str(), &st) != 0)
            return DriveType::NoRootDir;
        const std::string canonical = canonicalPath(path);
        const MountEntry* mount =
            canonical.empty() ? nullptr
                              : findMount(m_mounts, canonical,
                                          std::make_pair(static_cast<unsigned>(major(st.st_dev)),
                                                         static_cast<unsigned>(minor(st.st_dev))));
        if (!mount)
            return classifyMagic(static_cast<long>(fs.f_type));
        DriveType backing = DriveType::NoRootDir;
        if (mount->fsType == "overlay" && depth < maxStackDepth) {
            const std::string folder = overlayBackingFolder(mount->superOptions);
            if (!folder.empty())
                backing = typeOf(folder, depth + 1);
        }
        const DriveType type = classifyMount(mount->fsType, blockDeviceOf(*mount), backing);
        // File systems of pools rather than devices (zfs) name no device; their type does.
        return type == DriveType::Unknown ? classifyMagic(static_cast<long>(fs.f_type)) : type;
    }

private:
    std::vector<MountEntry> m_mounts;
};

constexpr long fatMagic = 0x4d44;
constexpr long fuseMagic = 0x65735546;

// FUSE drivers that give a FAT file system: the type after "fuse." / "fuseblk.".
bool isFuseFat(const std::string& fsType) {
    static constexpr std::array<std::string_view, 5> fatDrivers = {"fusefat", "vfat", "fat",
                                                                   "msdos", "fat32"};
    const std::size_t dot = fsType.find('.');
    if (dot == std::string::npos)
        return false;
    const std::string_view driver = std::string_view(fsType).substr(dot + 1);
    for (const std::string_view fat : fatDrivers)
        if (driver == fat)
            return true;
    return false;
}

} // namespace

BlockDevice blockDeviceOf(const MountEntry& mount) {
    std::string folder;
    if (mount.major != 0)
        folder = canonicalPath("/sys/dev/block/" + std::to_string(mount.major) + ":" +
                               std::to_string(mount.minor));
    if (folder.empty() && mount.source.rfind("/dev/", 0) == 0) {
        const std::string deviceFile = canonicalPath(mount.source);
        if (!deviceFile.empty())
            folder = canonicalPath("/sys/class/block/" + lastComponent(deviceFile));
    }
    BlockDevice device;
    if (folder.empty())
        return device;
    device.present = true;
    device.name = lastComponent(folder);
    const std::string disk = diskFolderOf(folder);
    device.disk = lastComponent(disk);
    device.removable = isRemovableDisk(disk, 0);
    return device;
}

DriveType driveType(const std::string& path) {
    return DriveProbe().typeOf(path, 0);
}

bool isLocalDrive(const std::string& path) {
    const DriveType type = driveType(path);
    return type == DriveType::Fixed || type == DriveType::Removable;
}

namespace {

// The mount holding the path, after links are followed; none when the path is not there.
std::optional<MountEntry> mountHolding(const std::string& path) {
    const std::string canonical = canonicalPath(path);
    struct stat st {};
    if (canonical.empty() || ::stat(canonical.c_str(), &st) != 0)
        return std::nullopt;
    const std::vector<MountEntry> mounts =
        parseMountInfo(readWholeTextFile("/proc/self/mountinfo"));
    const MountEntry* mount = findMount(mounts, canonical,
                                        std::make_pair(static_cast<unsigned>(major(st.st_dev)),
                                                       static_cast<unsigned>(minor(st.st_dev))));
    if (!mount)
        return std::nullopt;
    return *mount;
}

} // namespace

std::string mountPointOf(const std::string& path) {
    const std::optional<MountEntry> mount = mountHolding(path);
    return mount ? mount->mountPoint : std::string();
}

std::string fileSystemTypeOf(const std::string& path) {
    const std::optional<MountEntry> mount = mountHolding(path);
    return mount ? mount->fsType : std::string();
}

std::uint64_t largestFileBytes(const std::string& folder) {
    constexpr std::uint64_t fatLimit = 0xFFFFFFFFull;
    const std::string path = folder;
    struct statfs fs {};
    if (path.empty() || ::statfs(path.c_str(), &fs) != 0)
        return UINT64_MAX;
    if (static_cast<long>(fs.f_type) == fatMagic)
        return fatLimit;
    if (static_cast<long>(fs.f_type) != fuseMagic)
        return UINT64_MAX;
    struct stat st {};
    const std::string canonical = canonicalPath(path);
    if (canonical.empty() || ::stat(path.c_str(), &st) != 0)
        return UINT64_MAX;
    const std::vector<MountEntry> mounts =
        parseMountInfo(readWholeTextFile("/proc/self/mountinfo"));
    const MountEntry* mount = findMount(mounts, canonical,
                                        std::make_pair(static_cast<unsigned>(major(st.st_dev)),
                                                       static_cast<unsigned>(minor(st.st_dev))));
    return mount && isFuseFat(mount->fsType) ? fatLimit : UINT64_MAX;
}

std::int64_t freeBytes(const std::string& folder) {
    struct statvfs vfs {};
    if (folder.empty() || ::statvfs(folder.c_str(), &vfs) != 0)
        return -1;
    const unsigned long unit = vfs.f_frsize != 0 ? vfs.f_frsize : vfs.f_bsize;
    const auto bytes = static_cast<unsigned long long>(vfs.f_bavail) * unit;
    return bytes > static_cast<unsigned long long>(INT64_MAX) ? INT64_MAX
                                                              : static_cast<std::int64_t>(bytes);
}

} // namespace tw::platform
