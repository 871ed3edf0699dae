#pragma once

#include <string>

namespace tw::cli {

// What came of taking out the drive a copy went onto.
struct EjectResult {
    enum class Kind {
        Removed,      // unmounted and switched off: it may be pulled out
        Busy,         // something holds files open on it: nothing was done
        Failed,       // the disk service refused or failed
        NotRemovable, // the folder is on no removable drive the disk service knows
        Unavailable,  // no disk service (UDisks2), or a build without D-Bus
    };
    Kind kind = Kind::Unavailable;
    std::string mountPoint;
    std::string reason;
};

// Unmounts every file system of the removable drive that holds the folder and switches the
// drive off, through the desktop's disk service (UDisks2 on the system bus).
EjectResult ejectDriveHolding(const std::string& folder);

} // namespace tw::cli
