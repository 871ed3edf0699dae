#include "platform/DriveClassifier.h"

#include "platform/MountInfo.h"

#include <array>

namespace tw::platform {

namespace {

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

constexpr std::array<std::string_view, 27> networkTypes = {
    "nfs",      "nfs4",      "cifs",        "smb3",           "smbfs",    "smb",         "9p",
    "ceph",     "fuse.ceph", "fuse.sshfs",  "sshfs",          "davfs",    "fuse.davfs2", "afs",
    "kafs",     "openafs",   "glusterfs",   "fuse.glusterfs", "ncpfs",    "coda",        "lustre",
    "virtiofs", "fuse.s3fs", "fuse.rclone", "beegfs",         "orangefs", "fuse.cephfs"};

// statfs magic numbers (linux/magic.h and the file systems' own headers).
constexpr long tmpfsMagic = 0x01021994;
constexpr long ramfsMagic = static_cast<long>(0x858458f6);
constexpr std::array<long, 7> networkMagics = {
    0x6969,                        // nfs
    0x517B,                        // smbfs
    static_cast<long>(0xFF534D42), // cifs
    static_cast<long>(0xFE534D42), // smb2
    0x01021997,                    // 9p
    0x00c36400,                    // ceph
    0x5346414F,                    // afs
};
constexpr std::array<long, 10> blockMagics = {
    0xEF53,                        // ext2/3/4
    0x58465342,                    // xfs
    static_cast<long>(0x9123683E), // btrfs
    0x4d44,                        // vfat
    0x2011BAB0,                    // exfat
    0x5346544e,                    // ntfs
    static_cast<long>(0xF2F52010), // f2fs
    0x3153464a,                    // jfs
    0x2fc12fc1,                    // zfs
    static_cast<long>(0xca451a4e), // bcachefs
};

} // namespace

bool isNetworkFileSystem(std::string_view fsType) {
    for (std::string_view type : networkTypes) {
        if (fsType == type)
            return true;
    }
    // nfs3 and the like spell their version into the name.
    return startsWith(fsType, "nfs") || startsWith(fsType, "smb");
}

bool isOpticalDisk(std::string_view disk) {
    return startsWith(disk, "sr") || startsWith(disk, "scd");
}

DriveType classifyMount(std::string_view fsType, const BlockDevice& device, DriveType backing) {
    if (isNetworkFileSystem(fsType))
        return DriveType::Remote;
    if (fsType == "tmpfs" || fsType == "ramfs")
        return DriveType::RamDisk;
    if (fsType == "overlay" || fsType == "overlayfs") {
        // The folder an overlay writes to must support what network file systems lack, so
        // an overlay whose folder is out of sight (another mount namespace) is local.
        return backing == DriveType::Unknown || backing == DriveType::NoRootDir ? DriveType::Fixed
                                                                                : backing;
    }
    if (!device.present)
        return DriveType::Unknown;
    if ((fsType == "iso9660" || fsType == "udf") && isOpticalDisk(device.disk))
        return DriveType::CdRom;
    return device.removable ? DriveType::Removable : DriveType::Fixed;
}

std::string overlayBackingFolder(std::string_view superOptions) {
    std::string lower;
    std::size_t start = 0;
    while (start <= superOptions.size()) {
        std::size_t end = superOptions.find(',', start);
        if (end == std::string_view::npos)
            end = superOptions.size();
        const std::string_view option = superOptions.substr(start, end - start);
        if (startsWith(option, "upperdir="))
            return unescapeMountField(option.substr(9));
        if (lower.empty() && startsWith(option, "lowerdir=")) {
            // Lower folders are separated by ":"; a "\:" belongs to a folder name.
            const std::string folders = unescapeMountField(option.substr(9));
            for (std::size_t i = 0; i < folders.size(); ++i) {
                if (folders[i] == '\\' && i + 1 < folders.size()) {
                    lower.push_back(folders[++i]);
                    continue;
                }
                if (folders[i] == ':')
                    break;
                lower.push_back(folders[i]);
            }
        }
        start = end + 1;
    }
    return lower;
}

DriveType classifyMagic(long magic) {
    if (magic == tmpfsMagic || magic == ramfsMagic)
        return DriveType::RamDisk;
    for (long m : networkMagics) {
        if (magic == m)
            return DriveType::Remote;
    }
    for (long m : blockMagics) {
        if (magic == m)
            return DriveType::Fixed;
    }
    return DriveType::Unknown;
}

} // namespace tw::platform
