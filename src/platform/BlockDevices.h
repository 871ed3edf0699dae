#pragma once

#include "platform/DriveClassifier.h"
#include "platform/MountInfo.h"

namespace tw::platform {

// The block device under a mount, as /sys tells it: by the mount's device numbers, else by
// the device file it names. present is false for file systems on no device.
BlockDevice blockDeviceOf(const MountEntry& mount);

} // namespace tw::platform
