#include "platform/RemovableDrives.h"

#include "platform/FileSystem.h"

#include "platform/BlockDevices.h"
#include "platform/Drives.h"
#include "platform/MountInfo.h"

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>
#include <system_error>

#include <sys/statvfs.h>

namespace tw::platform {

namespace {

// udev writes unsafe bytes of a label as "\xHH" ("MY\x20STICK").
std::string udevUnescape(const std::string& name) {
    std::string out;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '\\' && i + 3 < name.size() && name[i + 1] == 'x' &&
            std::isxdigit(static_cast<unsigned char>(name[i + 2])) &&
            std::isxdigit(static_cast<unsigned char>(name[i + 3]))) {
            out += static_cast<char>(std::stoi(name.substr(i + 2, 2), nullptr, 16));
            i += 3;
        } else {
            out += name[i];
        }
    }
    return out;
}

// The label udev recorded for the device (/dev/disk/by-label/<label> links to it).
std::string labelOf(const std::string& device) {
    const std::string target = canonicalPath(device);
    if (target.empty())
        return {};
    std::error_code ec;
    for (const auto& link : std::filesystem::directory_iterator("/dev/disk/by-label", ec)) {
        if (canonicalPath(link.path().string()) == target)
            return udevUnescape(link.path().filename().string());
    }
    return {};
}

std::string folderName(const std::string& mountPoint) {
    const std::size_t slash = mountPoint.rfind('/');
    const std::string name = slash == std::string::npos ? mountPoint : mountPoint.substr(slash + 1);
    return name.empty() ? mountPoint : name;
}

} // namespace

std::vector<RemovableDrive> mountedRemovableDrives(const RemovableTest& isRemovable) {
    std::vector<RemovableDrive> drives;
    std::set<std::pair<unsigned, unsigned>> seen;
    for (const MountEntry& mount : parseMountInfo(readWholeTextFile("/proc/self/mountinfo"))) {
        // A bind mount of a folder of the drive is not the drive.
        if (mount.root != "/" || isNetworkFileSystem(mount.fsType))
            continue;
        const BlockDevice device = blockDeviceOf(mount);
        if (!device.present)
            continue;
        if (!(isRemovable ? isRemovable(device) : device.removable))
            continue;
        if (!seen.insert({mount.major, mount.minor}).second)
            continue;
        RemovableDrive drive;
        drive.mountPoint = mount.mountPoint;
        drive.device = mount.source;
        drive.label = labelOf(mount.source);
        if (drive.label.empty())
            drive.label = folderName(mount.mountPoint);
        drive.sizeBytes = fileSystemBytes(mount.mountPoint);
        drive.freeBytes = freeBytes(mount.mountPoint);
        drives.push_back(std::move(drive));
    }
    return drives;
}

bool holdsFolder(const RemovableDrive& drive, const std::string& folder) {
    const std::string& root = drive.mountPoint;
    if (root.empty() || folder.compare(0, root.size(), root) != 0)
        return false;
    return folder.size() == root.size() || root == "/" || folder[root.size()] == '/';
}

std::uint64_t fileSystemBytes(const std::string& folder) {
    struct statvfs vfs {};
    if (folder.empty() || ::statvfs(folder.c_str(), &vfs) != 0)
        return 0;
    const unsigned long unit = vfs.f_frsize != 0 ? vfs.f_frsize : vfs.f_bsize;
    return static_cast<std::uint64_t>(vfs.f_blocks) * unit;
}

} // namespace tw::platform
