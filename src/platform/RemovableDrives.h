#pragma once

#include "platform/DriveClassifier.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tw::platform {

// A mounted file system on a removable drive (a USB stick, a card, a player), as offered
// for a destination.
struct RemovableDrive {
    std::string label;           // the file system's label; the mount folder's name without one
    std::string mountPoint;      // "/media/user/STICK"
    std::string device;          // "/dev/sdb1"
    std::uint64_t sizeBytes = 0; // the size of the file system
    std::int64_t freeBytes = -1; // bytes available to the user; -1 when unknown

    bool operator==(const RemovableDrive&) const = default;
};

// Whether a block device belongs to a removable drive.
using RemovableTest = std::function<bool(const BlockDevice& device)>;

// The removable drives mounted now, from the kernel's mount table and /sys (each drive once,
// at its first mount; bind mounts of a part of it are left out), in mount-table order.
// isRemovable decides which devices count; by default /sys/block/<disk>/removable does.
std::vector<RemovableDrive> mountedRemovableDrives(const RemovableTest& isRemovable = {});

// Whether the folder lies on the drive: its mount point or a folder below it.
bool holdsFolder(const RemovableDrive& drive, const std::string& folder);

// The size of the file system holding the folder, in bytes; 0 when it cannot be read.
std::uint64_t fileSystemBytes(const std::string& folder);

} // namespace tw::platform
