#include "support/PrivateBus.h"

#include <QFile>
#include <QtTest>

namespace tw::test {

PrivateBus::PrivateBus(const std::string& folder)
    : m_address("unix:path=" + QString::fromStdString(folder) + "/bus") {
    m_daemon.start("dbus-daemon",
                   {"--session", "--nofork", "--nopidfile", "--address=" + m_address});
    m_started = m_daemon.waitForStarted(5000);
    for (int i = 0; m_started && i < 250 && !QFile::exists(socket()); ++i)
        QTest::qWait(20);
}

PrivateBus::~PrivateBus() {
    for (const QString& name : m_names)
        QDBusConnection::disconnectFromBus(name);
    m_daemon.terminate();
    m_daemon.waitForFinished(3000);
}

bool PrivateBus::running() const {
    return m_started && QFile::exists(socket());
}

QDBusConnection PrivateBus::connect(const QString& name) {
    // Qt keeps connections by name for the whole process: one of this bus's own.
    const QString unique = name + '@' + m_address;
    m_names << unique;
    return QDBusConnection::connectToBus(m_address, unique);
}

QString PrivateBus::socket() const {
    return m_address.mid(QString("unix:path=").size());
}

} // namespace tw::test
