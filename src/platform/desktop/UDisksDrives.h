#pragma once

#include "platform/desktop/RemovableDriveWatch.h"

#include <QDBusConnection>
#include <QString>
#include <QTimer>

namespace tw::platform {

// The removable drives as the desktop's disk service (UDisks2, org.freedesktop.UDisks2 on
// the system bus) knows them: told again when its object manager adds or removes a device
// or a file system's mount points change; taken out by Filesystem.Unmount and
// Drive.PowerOff, as a file manager's "Safely remove" does.
class UDisksDrives : public RemovableDriveWatch {
    Q_OBJECT

public:
    static inline const QString Service = QStringLiteral("org.freedesktop.UDisks2");

    // waitMs: how long a question to the service may take; unmountWaitMs: how long an
    // unmount may (the drive writes out what it still holds).
    explicit UDisksDrives(QDBusConnection bus = QDBusConnection::systemBus(),
                          QString service = Service, QObject* parent = nullptr, int waitMs = 5000,
                          int unmountWaitMs = 120000);
    ~UDisksDrives() override;

    // True when the service runs on the bus or the bus can start it.
    static bool serviceAvailable(const QDBusConnection& bus, const QString& service = Service);

    std::vector<RemovableDrive> drives() override;
    RemovalOutcome safelyRemove(const std::string& mountPoint) override;

private slots:
    void serviceChanged();

private:
    QDBusConnection m_bus;
    QString m_service;
    int m_waitMs;
    int m_unmountWaitMs;
    QTimer m_settle; // a burst of signals (a stick with three partitions) is told once
};

} // namespace tw::platform
