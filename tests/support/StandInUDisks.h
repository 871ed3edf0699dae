#pragma once

#include <QDBusConnection>
#include <QDBusVirtualObject>
#include <QMap>
#include <QStringList>
#include <QVariantMap>

namespace tw::test {

// Stands in for the desktop's disk service (UDisks2) on a test's bus: an object manager
// with the drives and file systems the test plugs in, which records every Unmount and
// PowerOff it is asked for and answers them as the test says.
class StandInUDisks : public QDBusVirtualObject {
    Q_OBJECT

public:
    static inline const QString Root = QStringLiteral("/org/freedesktop/UDisks2");

    // Takes the service's name on the bus; registered() tells whether it could.
    explicit StandInUDisks(QDBusConnection bus);
    ~StandInUDisks() override;

    bool registered() const { return m_registered; }

    // A drive named `name` with one file system mounted at mountPoint (empty: not mounted),
    // announced as the real service does (InterfacesAdded).
    void plug(const QString& name, const QString& label, const QString& mountPoint,
              quint64 sizeBytes, bool removable = true);
    // The drive and its file system gone (InterfacesRemoved).
    void pull(const QString& name);

    // "Unmount <object path>", "PowerOff <object path>", in the order asked.
    QStringList calls;
    // Unmount answers that the device is busy, and leaves it mounted.
    bool busy = false;

    QString introspect(const QString& path) const override;
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

private:
    QDBusConnection m_bus;
    bool m_registered = false;
    QMap<QString, QMap<QString, QVariantMap>> m_objects; // object path -> interfaces
};

} // namespace tw::test
