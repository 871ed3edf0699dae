#include "platform/MailChain.h"
#include "platform/desktop/MailtoMail.h"
#include "platform/desktop/PortalMail.h"
#include "platform/desktop/XdgEmailMail.h"

#include "support/PrivateBus.h"
#include "support/TempFolder.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusUnixFileDescriptor>
#include <QFile>
#include <QProcess>
#include <QTimer>
#include <QUrlQuery>
#include <QtTest>

#include <memory>
#include <stdexcept>

using tw::platform::MailMessage;
using tw::test::PrivateBus;

namespace {

const std::string Subject = "Отчет об ошибках & more?";

// Stands in for the desktop's e-mail portal: records each request, reads the attachment
// through the descriptor it got, and answers with the given response code, sent before its
// reply so that a caller subscribing late would miss it.
class StandInPortal : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Email")

public:
    explicit StandInPortal(QDBusConnection bus)
        : m_bus(std::move(bus)) {}

    uint answer = 0;
    bool silent = false; // takes the call and never replies
    int calls = 0;
    QString address, subject;
    QByteArray attachment;

public slots:
    QDBusObjectPath ComposeEmail(const QString& /*parent*/, const QVariantMap& options,
                                 const QDBusMessage& message) {
        ++calls;
        if (silent) {
            message.setDelayedReply(true);
            return {};
        }
        address = options.value("address").toString();
        subject = options.value("subject").toString();
        QList<QDBusUnixFileDescriptor> fds;
        options.value("attachment_fds").value<QDBusArgument>() >> fds;
        attachment.clear();
        for (const auto& fd : fds) {
            QFile file;
            if (file.open(fd.fileDescriptor(), QIODevice::ReadOnly, QFileDevice::DontCloseHandle))
                attachment += file.readAll();
        }
        QString sender = message.service().mid(1).replace('.', '_');
        const QString path = "/org/freedesktop/portal/desktop/request/" + sender + "/" +
                             options.value("handle_token").toString();
        QDBusMessage response =
            QDBusMessage::createSignal(path, "org.freedesktop.portal.Request", "Response");
        response << answer << QVariantMap();
        m_bus.send(response);
        return QDBusObjectPath(path);
    }

private:
    QDBusConnection m_bus;
};

class ScriptedWay : public tw::platform::MailHandOver {
public:
    enum Outcome { Takes, Declines, Throws };
    explicit ScriptedWay(Outcome outcome, int* calls)
        : m_outcome(outcome)
        , m_calls(calls) {}
    bool handOver(const MailMessage&) override {
        ++*m_calls;
        if (m_outcome == Throws)
            throw std::runtime_error("no mail client");
        return m_outcome == Takes;
    }

private:
    Outcome m_outcome;
    int* m_calls;
};

} // namespace

class DesktopMailTest : public QObject {
    Q_OBJECT

private slots:
    void portalGetsAddressSubjectAndAttachmentThroughDescriptor() {
        tw::test::TempFolder temp;
        PrivateBus bus(temp.path());
        if (!bus.running())
            QSKIP("dbus-daemon is not available here");
        QDBusConnection service = bus.connect("portal-side");
        StandInPortal portal(service);
        QVERIFY(service.registerObject("/org/freedesktop/portal/desktop", &portal,
                                       QDBusConnection::ExportAllSlots));
        QVERIFY(service.registerService("org.freedesktop.portal.Desktop"));
        tw::test::writeFile(temp / "Debug.Log", "record one\r\n");

        tw::platform::PortalMail mail(bus.connect("client-side"),
                                      tw::platform::PortalMail::DesktopService, 5000);
        QElapsedTimer clock;
        clock.start();
        QVERIFY(mail.handOver({"author@tunewagon.net", Subject, temp / "Debug.Log"}));
        QVERIFY2(clock.elapsed() < 4000, "the early response was missed");
        QCOMPARE(portal.calls, 1);
        QCOMPARE(portal.address, QString("author@tunewagon.net"));
        QCOMPARE(portal.subject, QString::fromStdString(Subject));
        QCOMPARE(portal.attachment, QByteArray("record one\r\n"));

        // The portal reports a failure: the next way must get its turn.
        portal.answer = 2;
        QVERIFY(!mail.handOver({"author@tunewagon.net", Subject, temp / "Debug.Log"}));
        // The user cancelled in the portal's own dialog: nothing else is tried.
        portal.answer = 1;
        QVERIFY(mail.handOver({"author@tunewagon.net", Subject, temp / "Debug.Log"}));

        // No portal on the bus at all.
        service.unregisterService("org.freedesktop.portal.Desktop");
        QVERIFY(!mail.handOver({"author@tunewagon.net", Subject, ""}));
        QDBusConnection::disconnectFromBus("portal-side");
        QDBusConnection::disconnectFromBus("client-side");
    }

    // A portal that takes the call and never answers: within a few seconds the next way gets
    // the message, and the program's windows and timers keep running meanwhile.
    void silentPortalPassesTheMessageOnWithinSecondsWithoutStoppingTheProgram() {
        tw::test::TempFolder temp;
        PrivateBus bus(temp.path());
        if (!bus.running())
            QSKIP("dbus-daemon is not available here");
        QDBusConnection service = bus.connect("silent-portal-side");
        StandInPortal portal(service);
        portal.silent = true;
        QVERIFY(service.registerObject("/org/freedesktop/portal/desktop", &portal,
                                       QDBusConnection::ExportAllSlots));
        QVERIFY(service.registerService("org.freedesktop.portal.Desktop"));

        tw::platform::MailChain chain;
        chain.add(std::make_unique<tw::platform::PortalMail>(bus.connect("silent-client-side")));
        int nextCalls = 0;
        chain.add(std::make_unique<ScriptedWay>(ScriptedWay::Takes, &nextCalls));
        int ticks = 0;
        QTimer ticker;
        QObject::connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
        ticker.start(50);
        QElapsedTimer clock;
        clock.start();
        QVERIFY(chain.handOver({"author@tunewagon.net", Subject, ""}));
        const qint64 took = clock.elapsed();
        ticker.stop();
        QVERIFY2(took < 6000, qPrintable(QString("the hand-over took %1 ms").arg(took)));
        QCOMPARE(nextCalls, 1);
        QVERIFY2(ticks > 10, "the program stood still while the portal was silent");
        QDBusConnection::disconnectFromBus("silent-portal-side");
        QDBusConnection::disconnectFromBus("silent-client-side");
    }

    void xdgEmailGetsSubjectAttachmentAndAddressAndItsFailurePassesOn() {
        tw::test::TempFolder temp;
        const std::string script = temp / "xdg-email";
        tw::test::writeFile(script,
                            "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"" +
                                temp / "args" + "\"\nexit ${FAKE_EXIT:-0}\n");
        QFile::setPermissions(QString::fromStdString(script),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        tw::test::writeFile(temp / "Log Folder/Debug.Log", "x");
        tw::platform::XdgEmailMail mail(QString::fromStdString(script), 5000);

        QVERIFY(mail.handOver({"author@tunewagon.net", Subject, temp / "Log Folder/Debug.Log"}));
        QCOMPARE(QString::fromStdString(tw::test::readFile(temp / "args")),
                 QString::fromStdString("--utf8\n--subject\n" + Subject + "\n--attach\n" +
                                        temp / "Log Folder/Debug.Log" +
                                        "\nauthor@tunewagon.net\n"));

        qputenv("FAKE_EXIT", "3"); // no mail client configured
        QVERIFY(!mail.handOver({"author@tunewagon.net", Subject, ""}));
        qunsetenv("FAKE_EXIT");
        QVERIFY(!tw::platform::XdgEmailMail(QString::fromStdString(temp / "missing"), 5000)
                     .handOver({"author@tunewagon.net", Subject, ""}));
    }

    void mailtoCarriesTheSubjectIntactAndShowsTheLogFolder() {
        QList<QUrl> opened;
        tw::platform::MailtoMail mail(
            [&](const QUrl& url) {
                opened << url;
                return true;
            },
            QDBusConnection::connectToBus("unix:path=/nonexistent/bus", "no-bus"));
        QVERIFY(mail.handOver(
            {"author@tunewagon.net", Subject, "/opt/Tunewagon/ErrorLog/SendingDebug.Log"}));
        QCOMPARE(opened.size(), 2);
        QCOMPARE(opened[0].scheme(), QString("mailto"));
        QCOMPARE(opened[0].path(), QString("author@tunewagon.net"));
        QCOMPARE(QUrlQuery(opened[0]).queryItemValue("subject", QUrl::FullyDecoded),
                 QString::fromStdString(Subject));
        QCOMPARE(opened[1], QUrl::fromLocalFile("/opt/Tunewagon/ErrorLog"));
        QDBusConnection::disconnectFromBus("no-bus");
    }

    void chainPassesDeclinesAndThrowsOnAndStopsAtTheFirstTaker() {
        int calls[4] = {};
        tw::platform::MailChain chain;
        chain.add(std::make_unique<ScriptedWay>(ScriptedWay::Throws, &calls[0]));
        chain.add(std::make_unique<ScriptedWay>(ScriptedWay::Declines, &calls[1]));
        chain.add(std::make_unique<ScriptedWay>(ScriptedWay::Takes, &calls[2]));
        chain.add(std::make_unique<ScriptedWay>(ScriptedWay::Takes, &calls[3]));
        QVERIFY(chain.handOver({}));
        QCOMPARE(QList<int>({calls[0], calls[1], calls[2], calls[3]}), QList<int>({1, 1, 1, 0}));
        tw::platform::MailChain none;
        none.add(std::make_unique<ScriptedWay>(ScriptedWay::Throws, &calls[0]));
        QVERIFY(!none.handOver({}));
    }
};

QTEST_MAIN(DesktopMailTest)
#include "DesktopMailTest.moc"
