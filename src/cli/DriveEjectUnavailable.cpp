#include "cli/DriveEject.h"

namespace tw::cli {

// A build without Qt's D-Bus cannot reach the disk service.
EjectResult ejectDriveHolding(const std::string&) {
    return {EjectResult::Kind::Unavailable, {}, "this build has no D-Bus support"};
}

} // namespace tw::cli
