#include "platform/Drives.h"

#include "platform/DriveClassifier.h"
#include "platform/FileSystem.h"
#include "platform/MountInfo.h"

#include <climits>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>

#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace tw::platform {

namespace {

// How many overlays on overlays are followed before giving up.
constexpr int maxOverlayDepth = 4;

std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string canonicalPath(const std::string& path) {
    const std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path.c_str(), nullptr),
                                                               &std::free);
    return resolved ? std::string(resolved.get()) : std::string();
}

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

// The block device under a mount: by its device numbers, else by the device file it names.
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
    const std::string diskFolder = exists(folder + "/partition") ? parentFolder(folder) : folder;
    device.disk = lastComponent(diskFolder);
    device.removable = readText(diskFolder + "/removable").rfind('1', 0) == 0;
    return device;
}

class DriveProbe {
public:
    DriveProbe()
        : m_mounts(parseMountInfo(readText("/proc/self/mountinfo"))) {}

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
        DriveType backing = DriveType::Unknown;
        if (mount->fsType == "overlay" && depth < maxOverlayDepth) {
            const std::string folder = overlayBackingFolder(mount->superOptions);
            if (!folder.empty())
                backing = typeOf(folder, depth + 1);
        }
        return classifyMount(mount->fsType, blockDeviceOf(*mount), backing);
    }

private:
    std::vector<MountEntry> m_mounts;
};

} // namespace

DriveType driveType(const std::string& path) {
    return DriveProbe().typeOf(systemPath(path), 0);
}

bool isLocalDrive(const std::string& path) {
    const DriveType type = driveType(path);
    return type == DriveType::Fixed || type == DriveType::Removable;
}

std::int64_t freeBytes(const std::string& folder) {
    struct statvfs vfs {};
    if (folder.empty() || ::statvfs(systemPath(folder).c_str(), &vfs) != 0)
        return -1;
    const unsigned long unit = vfs.f_frsize != 0 ? vfs.f_frsize : vfs.f_bsize;
    const auto bytes = static_cast<unsigned long long>(vfs.f_bavail) * unit;
    return bytes > static_cast<unsigned long long>(INT64_MAX) ? INT64_MAX
                                                              : static_cast<std::int64_t>(bytes);
}

} // namespace tw::platform
