#include "platform/RemovableDrives.h"
#include "platform/desktop/MountTableDrives.h"
#include "platform/desktop/UDisksDrives.h"

#include "support/ImageMount.h"
#include "support/PrivateBus.h"
#include "support/StandInUDisks.h"
#include "support/TempFolder.h"

#include <QSignalSpy>
#include <QtTest>

#include <filesystem>
#include <memory>

using tw::platform::RemovableDrive;
using tw::platform::RemovableDriveWatch;
using tw::platform::UDisksDrives;
using tw::test::ImageMount;
using tw::test::PrivateBus;
using tw::test::StandInUDisks;
using tw::test::TempFolder;

namespace {

const RemovableDrive* driveAt(const std::vector<RemovableDrive>& drives, const std::string& point) {
    for (const RemovableDrive& drive : drives)
        if (drive.mountPoint == point)
            return &drive;
    return nullptr;
}

} // namespace

class RemovableDrivesTest : public QObject {
    Q_OBJECT

    // A private bus with the stand-in disk service, and the program's client of it.
    struct Desk {
        TempFolder temp;
        std::unique_ptr<PrivateBus> bus;
        std::unique_ptr<StandInUDisks> service;
        std::unique_ptr<UDisksDrives> drives;
    };

    bool open(Desk& desk) {
        desk.bus = std::make_unique<PrivateBus>(desk.temp.path());
        if (!desk.bus->running())
            return false;
        desk.service = std::make_unique<StandInUDisks>(desk.bus->connect("service"));
        desk.drives = std::make_unique<UDisksDrives>(desk.bus->connect("program"),
                                                     UDisksDrives::Service, nullptr, 3000, 3000);
        return desk.service->registered();
    }

private slots:
    // Only mounted file systems of removable drives are offered, with their label, size,
    // free space and mount point; plugging and pulling a stick is told.
    void udisksListsMountedSticksAndTellsPlugAndPull() {
        Desk desk;
        if (!open(desk))
            QSKIP("dbus-daemon cannot run here");
        std::filesystem::create_directories(desk.temp / "media/STICK");
        std::filesystem::create_directories(desk.temp / "media/disk");
        desk.service->plug("sdb", "STICK", QString::fromStdString(desk.temp / "media/STICK"),
                           8'000'000'000ULL);
        desk.service->plug("sda", "System", QString::fromStdString(desk.temp / "media/disk"),
                           500'000'000'000ULL, false);
        desk.service->plug("sdc", "Unmounted", QString(), 1'000'000ULL);
        QVERIFY(UDisksDrives::serviceAvailable(desk.bus->connect("probe")));

        std::vector<RemovableDrive> drives = desk.drives->drives();
        QCOMPARE(drives.size(), std::size_t(1));
        QCOMPARE(drives[0].label, std::string("STICK"));
        QCOMPARE(drives[0].mountPoint, desk.temp / "media/STICK");
        QCOMPARE(drives[0].device, std::string("/dev/sdb1"));
        QCOMPARE(drives[0].sizeBytes, 8'000'000'000ULL);
        QVERIFY(drives[0].freeBytes > 0);

        QSignalSpy told(desk.drives.get(), &RemovableDriveWatch::changed);
        std::filesystem::create_directories(desk.temp / "media/CARD");
        desk.service->plug("sdd", "", QString::fromStdString(desk.temp / "media/CARD"), 2048);
        QVERIFY(told.wait(3000));
        drives = desk.drives->drives();
        QCOMPARE(drives.size(), std::size_t(2));
        // Without a label the mount folder's name stands for it.
        QCOMPARE(driveAt(drives, desk.temp / "media/CARD")->label, std::string("CARD"));

        told.clear();
        desk.service->pull("sdb");
        QVERIFY(told.wait(3000));
        drives = desk.drives->drives();
        QCOMPARE(drives.size(), std::size_t(1));
        QVERIFY(driveAt(drives, desk.temp / "media/STICK") == nullptr);
    }

    // Safely remove unmounts the file system and then switches the drive off; a busy drive
    // is neither unmounted nor switched off, and says so; an unknown place asks nothing.
    void safelyRemoveUnmountsThenPowersOffAndTellsABusyDrive() {
        Desk desk;
        if (!open(desk))
            QSKIP("dbus-daemon cannot run here");
        const std::string stick = desk.temp / "media/STICK";
        std::filesystem::create_directories(stick);
        desk.service->plug("sdb", "STICK", QString::fromStdString(stick), 1 << 30);

        desk.service->busy = true;
        RemovableDriveWatch::RemovalOutcome outcome = desk.drives->safelyRemove(stick);
        QCOMPARE(outcome.result, RemovableDriveWatch::Removal::Busy);
        QVERIFY(outcome.reason.find("busy") != std::string::npos);
        QCOMPARE(desk.service->calls,
                 QStringList({"Unmount /org/freedesktop/UDisks2/block_devices/sdb1"}));

        desk.service->busy = false;
        desk.service->calls.clear();
        outcome = desk.drives->safelyRemove(stick);
        QCOMPARE(outcome.result, RemovableDriveWatch::Removal::Removed);
        QCOMPARE(desk.service->calls,
                 QStringList({"Unmount /org/freedesktop/UDisks2/block_devices/sdb1",
                              "PowerOff /org/freedesktop/UDisks2/drives/sdb"}));
        QVERIFY(desk.drives->drives().empty());

        desk.service->calls.clear();
        outcome = desk.drives->safelyRemove(desk.temp / "elsewhere");
        QCOMPARE(outcome.result, RemovableDriveWatch::Removal::Failed);
        QVERIFY(desk.service->calls.isEmpty());
    }

    // Without a disk service: nobody answers, and taking a drive out is refused, not
    // pretended.
    void withoutTheServiceNothingIsRemoved() {
        Desk desk;
        desk.bus = std::make_unique<PrivateBus>(desk.temp.path());
        if (!desk.bus->running())
            QSKIP("dbus-daemon cannot run here");
        QVERIFY(!UDisksDrives::serviceAvailable(desk.bus->connect("probe")));
        UDisksDrives drives(desk.bus->connect("program"), UDisksDrives::Service, nullptr, 1000);
        QVERIFY(drives.drives().empty());
        QCOMPARE(drives.safelyRemove("/media/STICK").result, RemovableDriveWatch::Removal::Failed);
    }

    // The mount table's side, on a real mounted image: a loop device taken for a removable
    // disk is listed with its size, free space and mount point, and an unmount is noticed;
    // by /sys's own word a loop device is no removable drive.
    void mountTableListsAMountedImageAndNoticesItsUnmount() {
        TempFolder temp;
        std::filesystem::create_directories(temp / "stick");
        ImageMount image(ImageMount::Kind::Ext4, temp / "stick.img", temp / "stick", 64);
        if (!image.mounted())
            QSKIP(image.reason().c_str());
        const auto loopIsRemovable = [](const tw::platform::BlockDevice& device) {
            return device.disk.rfind("loop", 0) == 0;
        };
        const std::vector<RemovableDrive> drives =
            tw::platform::mountedRemovableDrives(loopIsRemovable);
        const RemovableDrive* drive = driveAt(drives, temp / "stick");
        QVERIFY(drive != nullptr);
        QVERIFY2(drive->device.rfind("/dev/loop", 0) == 0, drive->device.c_str());
        QVERIFY(drive->sizeBytes > 40ULL << 20 && drive->sizeBytes <= 64ULL << 20);
        QVERIFY(drive->freeBytes > 0 &&
                static_cast<std::uint64_t>(drive->freeBytes) <= drive->sizeBytes);
        QCOMPARE(drive->label, std::string("stick"));
        QVERIFY(tw::platform::holdsFolder(*drive, temp / "stick/Music"));
        QVERIFY(!tw::platform::holdsFolder(*drive, temp / "stick2"));
        QVERIFY(driveAt(tw::platform::mountedRemovableDrives(), temp / "stick") == nullptr);

        tw::platform::MountTableDrives watch(nullptr, std::chrono::milliseconds(20),
                                             loopIsRemovable);
        QSignalSpy told(&watch, &RemovableDriveWatch::changed);
        QVERIFY(image.unmount());
        QVERIFY(told.wait(3000));
        QVERIFY(driveAt(watch.drives(), temp / "stick") == nullptr);
        QCOMPARE(watch.safelyRemove(temp / "stick").result, RemovableDriveWatch::Removal::Failed);
        QVERIFY(!watch.canRemove());
    }
};

QTEST_GUILESS_MAIN(RemovableDrivesTest)
#include "RemovableDrivesTest.moc"
