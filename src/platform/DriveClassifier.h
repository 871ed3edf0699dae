#pragma once

#include "platform/Drives.h"

#include <string>
#include <string_view>

// Deciding the drive type of a mounted file system from what the system tells about it.
// Pure: the facts are gathered by the caller.
namespace tw::platform {

// The block device under a file system, as found in /sys.
struct BlockDevice {
    bool present = false;
    std::string name;       // kernel name of the device, "sdb1"
    std::string disk;       // the whole disk it belongs to, "sdb"
    bool removable = false; // /sys/block/<disk>/removable is 1
};

// True for file systems whose data live on another machine.
bool isNetworkFileSystem(std::string_view fsType);

// True for a disk name of an optical drive ("sr0").
bool isOpticalDisk(std::string_view disk);

// The drive type of a file system of the given type on the given device. backing is the
// drive type of the folder an overlay keeps its changes in (used for overlays only;
// NoRootDir when that folder cannot be seen).
DriveType classifyMount(std::string_view fsType, const BlockDevice& device,
                        DriveType backing = DriveType::NoRootDir);

// The folder an overlay mount writes to (upperdir), else its first lower folder; empty when
// the options name neither.
std::string overlayBackingFolder(std::string_view superOptions);

// The drive type told by a file-system magic number (statfs f_type) alone, used when the
// mount table cannot be read.
DriveType classifyMagic(long magic);

} // namespace tw::platform
