#include "cli/DriveEject.h"

#include "platform/RemovableDrives.h"
#include "platform/desktop/UDisksDrives.h"

#include <QCoreApplication>
#include <QDBusConnection>

#include <memory>

namespace tw::cli {

EjectResult ejectDriveHolding(const std::string& folder) {
    // Qt's D-Bus needs an application object; the command-line program has none of its own.
    static int argc = 1;
    static char name[] = "tunewagon-copy";
    static char* argv[] = {name, nullptr};
    std::unique_ptr<QCoreApplication> application;
    if (QCoreApplication::instance() == nullptr)
        application = std::make_unique<QCoreApplication>(argc, argv);

    QDBusConnection bus = QDBusConnection::systemBus();
    if (!platform::UDisksDrives::serviceAvailable(bus))
        return {
            EjectResult::Kind::Unavailable, {}, "UDisks2 (org.freedesktop.UDisks2) is not running"};
    platform::UDisksDrives drives(bus);
    for (const platform::RemovableDrive& drive : drives.drives()) {
        if (!platform::holdsFolder(drive, folder))
            continue;
        const auto outcome = drives.safelyRemove(drive.mountPoint);
        using Removal = platform::RemovableDriveWatch::Removal;
        const EjectResult::Kind kind =
            outcome.result == Removal::Removed ? EjectResult::Kind::Removed
            : outcome.result == Removal::Busy  ? EjectResult::Kind::Busy
                                               : EjectResult::Kind::Failed;
        return {kind, drive.mountPoint, outcome.reason};
    }
    return {EjectResult::Kind::NotRemovable, {}, {}};
}

} // namespace tw::cli
