#include "platform/desktop/UDisksDrives.h"

#include "platform/Drives.h"
#include "platform/desktop/MountTableDrives.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusReply>
#include <QEventLoop>
#include <QMap>
#include <QVariantMap>

#include <utility>

namespace tw::platform {

namespace {

const QString ManagerPath = QStringLiteral("/org/freedesktop/UDisks2");
const QString ObjectManager = QStringLiteral("org.freedesktop.DBus.ObjectManager");
const QString Properties = QStringLiteral("org.freedesktop.DBus.Properties");
const QString BlockInterface = QStringLiteral("org.freedesktop.UDisks2.Block");
const QString FilesystemInterface = QStringLiteral("org.freedesktop.UDisks2.Filesystem");
const QString DriveInterface = QStringLiteral("org.freedesktop.UDisks2.Drive");
const QString BusyError = QStringLiteral("org.freedesktop.UDisks2.Error.DeviceBusy");

using InterfaceProperties = QMap<QString, QVariantMap>;
using ManagedObjects = QMap<QDBusObjectPath, InterfaceProperties>;

// A byte string of UDisks2 ("ay"): the path without its closing NUL.
std::string fromBytes(QByteArray bytes) {
    while (!bytes.isEmpty() && bytes.back() == '\0')
        bytes.chop(1);
    return bytes.toStdString();
}

// A list of byte strings ("aay") as it arrives inside a property map.
std::vector<std::string> byteStrings(const QVariant& value) {
    std::vector<std::string> strings;
    if (value.canConvert<QDBusArgument>()) {
        const QDBusArgument argument = value.value<QDBusArgument>();
        argument.beginArray();
        while (!argument.atEnd()) {
            QByteArray bytes;
            argument >> bytes;
            strings.push_back(fromBytes(bytes));
        }
        argument.endArray();
    } else {
        for (const QByteArray& bytes : value.value<QList<QByteArray>>())
            strings.push_back(fromBytes(bytes));
    }
    return strings;
}

QDBusObjectPath objectPath(const QVariant& value) {
    if (value.canConvert<QDBusArgument>()) {
        QDBusObjectPath path;
        value.value<QDBusArgument>() >> path;
        return path;
    }
    return value.value<QDBusObjectPath>();
}

// The answer to a call, with the event loop running meanwhile (no user input); an error
// message when the service does not answer in time.
QDBusMessage callAndWait(QDBusConnection& bus, const QDBusMessage& call, int waitMs) {
    QEventLoop loop;
    QDBusPendingCallWatcher watcher(bus.asyncCall(call, waitMs));
    QObject::connect(&watcher, &QDBusPendingCallWatcher::finished, &loop, &QEventLoop::quit);
    if (!watcher.isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    return watcher.reply();
}

struct Snapshot {
    bool answered = false;
    ManagedObjects objects;
};

Snapshot managedObjects(QDBusConnection& bus, const QString& service, int waitMs) {
    const QDBusMessage reply =
        callAndWait(bus,
                    QDBusMessage::createMethodCall(service, ManagerPath, ObjectManager,
                                                   QStringLiteral("GetManagedObjects")),
                    waitMs);
    Snapshot snapshot;
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return snapshot;
    const QVariant first = reply.arguments().constFirst();
    if (!first.canConvert<QDBusArgument>())
        return snapshot;
    first.value<QDBusArgument>() >> snapshot.objects;
    snapshot.answered = true;
    return snapshot;
}

bool isRemovableDrive(const QVariantMap& drive) {
    const QString bus = drive.value(QStringLiteral("ConnectionBus")).toString();
    return drive.value(QStringLiteral("Removable")).toBool() || bus == QLatin1String("usb") ||
           bus == QLatin1String("sdio");
}

QDBusMessage emptyOptionsCall(const QString& service, const QString& path, const QString& interface,
                              const QString& method) {
    QDBusMessage call = QDBusMessage::createMethodCall(service, path, interface, method);
    call << QVariantMap();
    return call;
}

} // namespace

UDisksDrives::UDisksDrives(QDBusConnection bus, QString service, QObject* parent, int waitMs,
                           int unmountWaitMs)
    : RemovableDriveWatch(parent)
    , m_bus(std::move(bus))
    , m_service(std::move(service))
    , m_waitMs(waitMs)
    , m_unmountWaitMs(unmountWaitMs) {
    m_settle.setSingleShot(true);
    m_settle.setInterval(150);
    connect(&m_settle, &QTimer::timeout, this, &RemovableDriveWatch::changed);
    for (const char* signal : {"InterfacesAdded", "InterfacesRemoved"})
        m_bus.connect(m_service, ManagerPath, ObjectManager, QLatin1String(signal), this,
                      SLOT(serviceChanged()));
    // Mounting and unmounting change a file system's MountPoints, on any device's object.
    m_bus.connect(m_service, QString(), Properties, QStringLiteral("PropertiesChanged"), this,
                  SLOT(serviceChanged()));
}

UDisksDrives::~UDisksDrives() {
    for (const char* signal : {"InterfacesAdded", "InterfacesRemoved"})
        m_bus.disconnect(m_service, ManagerPath, ObjectManager, QLatin1String(signal), this,
                         SLOT(serviceChanged()));
    m_bus.disconnect(m_service, QString(), Properties, QStringLiteral("PropertiesChanged"), this,
                     SLOT(serviceChanged()));
}

bool UDisksDrives::serviceAvailable(const QDBusConnection& bus, const QString& service) {
    if (!bus.isConnected() || bus.interface() == nullptr)
        return false;
    if (bus.interface()->isServiceRegistered(service).value())
        return true;
    const QDBusReply<QStringList> activatable = bus.interface()->activatableServiceNames();
    return activatable.isValid() && activatable.value().contains(service);
}

void UDisksDrives::serviceChanged() {
    m_settle.start();
}

std::vector<RemovableDrive> UDisksDrives::drives() {
    std::vector<RemovableDrive> drives;
    const Snapshot snapshot = managedObjects(m_bus, m_service, m_waitMs);
    for (auto it = snapshot.objects.cbegin(); it != snapshot.objects.cend(); ++it) {
        const InterfaceProperties& interfaces = it.value();
        if (!interfaces.contains(BlockInterface) || !interfaces.contains(FilesystemInterface))
            continue;
        const QVariantMap& block = interfaces[BlockInterface];
        if (block.value(QStringLiteral("HintIgnore")).toBool())
            continue;
        const QDBusObjectPath drivePath = objectPath(block.value(QStringLiteral("Drive")));
        const auto drive = snapshot.objects.constFind(drivePath);
        if (drive == snapshot.objects.cend() || !drive->contains(DriveInterface) ||
            !isRemovableDrive((*drive)[DriveInterface]))
            continue;
        const std::vector<std::string> mountPoints =
            byteStrings(interfaces[FilesystemInterface].value(QStringLiteral("MountPoints")));
        if (mountPoints.empty())
            continue;
        RemovableDrive found;
        found.mountPoint = mountPoints.front();
        found.device = fromBytes(block.value(QStringLiteral("Device")).toByteArray());
        found.label = block.value(QStringLiteral("IdLabel")).toString().toStdString();
        if (found.label.empty())
            found.label = found.mountPoint.substr(found.mountPoint.rfind('/') + 1);
        found.sizeBytes = block.value(QStringLiteral("Size")).toULongLong();
        found.freeBytes = freeBytes(found.mountPoint);
        drives.push_back(std::move(found));
    }
    return drives;
}

RemovableDriveWatch::RemovalOutcome UDisksDrives::safelyRemove(const std::string& mountPoint) {
    const Snapshot snapshot = managedObjects(m_bus, m_service, m_waitMs);
    if (!snapshot.answered)
        return {Removal::Failed, "UDisks2 does not answer"};
    // The drive that holds the mount point, and every mounted file system on it.
    QDBusObjectPath drivePath;
    for (auto it = snapshot.objects.cbegin(); it != snapshot.objects.cend(); ++it) {
        const auto fs = it->constFind(FilesystemInterface);
        if (fs == it->cend())
            continue;
        for (const std::string& point : byteStrings(fs->value(QStringLiteral("MountPoints"))))
            if (point == mountPoint)
                drivePath = objectPath((*it)[BlockInterface].value(QStringLiteral("Drive")));
    }
    if (drivePath.path().isEmpty())
        return {Removal::Failed, "UDisks2 knows no drive mounted at " + mountPoint};

    for (auto it = snapshot.objects.cbegin(); it != snapshot.objects.cend(); ++it) {
        const auto fs = it->constFind(FilesystemInterface);
        if (fs == it->cend() ||
            objectPath((*it)[BlockInterface].value(QStringLiteral("Drive"))) != drivePath ||
            byteStrings(fs->value(QStringLiteral("MountPoints"))).empty())
            continue;
        const QDBusMessage reply =
            callAndWait(m_bus,
                        emptyOptionsCall(m_service, it.key().path(), FilesystemInterface,
                                         QStringLiteral("Unmount")),
                        m_unmountWaitMs);
        if (reply.type() == QDBusMessage::ErrorMessage)
            return {reply.errorName() == BusyError ? Removal::Busy : Removal::Failed,
                    reply.errorMessage().toStdString()};
    }
    // Unmounted, the drive may be pulled; switching it off also stops its light. A drive
    // that cannot be switched off (a card reader) is still safe to take out.
    const QDBusMessage off = callAndWait(
        m_bus,
        emptyOptionsCall(m_service, drivePath.path(), DriveInterface, QStringLiteral("PowerOff")),
        m_waitMs);
    RemovalOutcome outcome{Removal::Removed, {}};
    if (off.type() == QDBusMessage::ErrorMessage)
        outcome.reason = off.errorMessage().toStdString();
    return outcome;
}

std::unique_ptr<RemovableDriveWatch> RemovableDriveWatch::system(QObject* parent) {
    QDBusConnection bus = QDBusConnection::systemBus();
    if (UDisksDrives::serviceAvailable(bus))
        return std::make_unique<UDisksDrives>(bus, UDisksDrives::Service, parent);
    return std::make_unique<MountTableDrives>(parent);
}

} // namespace tw::platform
