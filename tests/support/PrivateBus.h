#pragma once

#include <QDBusConnection>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <string>

namespace tw::test {

// A message bus of one test's own (dbus-daemon in the folder), so that stand-ins of the
// desktop's services can be put on it without touching the machine's buses.
class PrivateBus {
public:
    explicit PrivateBus(const std::string& folder);
    ~PrivateBus();
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    bool running() const;
    // The address programs are given to reach the bus (DBUS_SYSTEM_BUS_ADDRESS=...).
    const QString& address() const { return m_address; }
    // A connection to the bus, named for this bus alone (closed with the bus).
    QDBusConnection connect(const QString& name);

private:
    QString socket() const;

    QString m_address;
    QProcess m_daemon;
    bool m_started = false;
    QStringList m_names;
};

} // namespace tw::test
