#include "support/StandInUDisks.h"

#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>

#include <utility>

namespace tw::test {

namespace {

using InterfaceProperties = QMap<QString, QVariantMap>;
using ManagedObjects = QMap<QDBusObjectPath, InterfaceProperties>;

const QString ObjectManager = QStringLiteral("org.freedesktop.DBus.ObjectManager");
const QString Block = QStringLiteral("org.freedesktop.UDisks2.Block");
const QString Filesystem = QStringLiteral("org.freedesktop.UDisks2.Filesystem");
const QString Drive = QStringLiteral("org.freedesktop.UDisks2.Drive");

QString drivePath(const QString& name) {
    return StandInUDisks::Root + "/drives/" + name;
}
QString blockPath(const QString& name) {
    return StandInUDisks::Root + "/block_devices/" + name + "1";
}

QList<QByteArray> mountPoints(const QString& mountPoint) {
    if (mountPoint.isEmpty())
        return {};
    return {mountPoint.toUtf8() + '\0'};
}

} // namespace

StandInUDisks::StandInUDisks(QDBusConnection bus)
    : m_bus(std::move(bus)) {
    qDBusRegisterMetaType<QList<QByteArray>>();
    qDBusRegisterMetaType<InterfaceProperties>();
    qDBusRegisterMetaType<ManagedObjects>();
    m_registered = m_bus.registerVirtualObject(Root, this, QDBusConnection::SubPath) &&
                   m_bus.registerService(QStringLiteral("org.freedesktop.UDisks2"));
}

StandInUDisks::~StandInUDisks() {
    m_bus.unregisterService(QStringLiteral("org.freedesktop.UDisks2"));
    m_bus.unregisterObject(Root, QDBusConnection::UnregisterTree);
}

void StandInUDisks::plug(const QString& name, const QString& label, const QString& mountPoint,
                         quint64 sizeBytes, bool removable) {
    InterfaceProperties drive;
    drive[Drive] = QVariantMap{{"Removable", removable},
                               {"ConnectionBus", removable ? "usb" : "sata"},
                               {"CanPowerOff", true}};
    InterfaceProperties block;
    block[Block] = QVariantMap{{"Device", QByteArray("/dev/" + name.toUtf8() + "1") + '\0'},
                               {"Size", QVariant::fromValue<qulonglong>(sizeBytes)},
                               {"IdLabel", label},
                               {"HintIgnore", false},
                               {"Drive", QVariant::fromValue(QDBusObjectPath(drivePath(name)))}};
    block[Filesystem] = QVariantMap{{"MountPoints", QVariant::fromValue(mountPoints(mountPoint))}};
    m_objects[drivePath(name)] = drive;
    m_objects[blockPath(name)] = block;
    for (const auto& [path, interfaces] :
         {std::pair{drivePath(name), drive}, std::pair{blockPath(name), block}}) {
        QDBusMessage signal = QDBusMessage::createSignal(Root, ObjectManager, "InterfacesAdded");
        signal << QVariant::fromValue(QDBusObjectPath(path)) << QVariant::fromValue(interfaces);
        m_bus.send(signal);
    }
}

void StandInUDisks::pull(const QString& name) {
    for (const QString& path : {blockPath(name), drivePath(name)}) {
        const QStringList interfaces = m_objects.value(path).keys();
        m_objects.remove(path);
        QDBusMessage signal = QDBusMessage::createSignal(Root, ObjectManager, "InterfacesRemoved");
        signal << QVariant::fromValue(QDBusObjectPath(path)) << interfaces;
        m_bus.send(signal);
    }
}

QString StandInUDisks::introspect(const QString&) const {
    return {};
}

bool StandInUDisks::handleMessage(const QDBusMessage& message, const QDBusConnection& connection) {
    const QString path = message.path();
    if (message.member() == "GetManagedObjects" && path == Root) {
        ManagedObjects objects;
        for (auto it = m_objects.cbegin(); it != m_objects.cend(); ++it)
            objects[QDBusObjectPath(it.key())] = it.value();
        return connection.send(message.createReply(QVariant::fromValue(objects)));
    }
    if (message.member() == "Unmount" && message.interface() == Filesystem) {
        calls << "Unmount " + path;
        if (busy)
            return connection.send(message.createErrorReply(
                "org.freedesktop.UDisks2.Error.DeviceBusy", "Error unmounting: target is busy"));
        if (m_objects.contains(path))
            m_objects[path][Filesystem]["MountPoints"] = QVariant::fromValue(QList<QByteArray>());
        return connection.send(message.createReply());
    }
    if (message.member() == "PowerOff" && message.interface() == Drive) {
        calls << "PowerOff " + path;
        return connection.send(message.createReply());
    }
    return connection.send(message.createErrorReply(QDBusError::UnknownMethod,
                                                    "not stood in for: " + message.member()));
}

} // namespace tw::test
