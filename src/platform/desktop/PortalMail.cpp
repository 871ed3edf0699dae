#include "platform/desktop/PortalMail.h"

#include "platform/File.h"
#include "platform/FileSystem.h"
#include "platform/desktop/PortalResponse.h"

#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusUnixFileDescriptor>
#include <QEventLoop>
#include <QRandomGenerator>
#include <QTimer>

#include <fcntl.h>

#include <utility>

namespace tw::platform {

namespace {

const QString PortalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString RequestInterface = QStringLiteral("org.freedesktop.portal.Request");

QString q(const std::string& text) {
    return QString::fromStdString(text);
}

// The path the portal gives a request made with this token (so the answer cannot be missed
// between the call and its reply).
QString requestPath(const QDBusConnection& bus, const QString& token) {
    QString sender = bus.baseService().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    return PortalPath + QStringLiteral("/request/") + sender + QLatin1Char('/') + token;
}

} // namespace

PortalMail::PortalMail(QDBusConnection bus, QString service, int waitMs)
    : m_bus(std::move(bus))
    , m_service(std::move(service))
    , m_waitMs(waitMs) {}

bool PortalMail::handOver(const MailMessage& message) {
    if (!m_bus.isConnected())
        return false;

    QVariantMap options;
    options.insert(QStringLiteral("address"), q(message.recipient));
    options.insert(QStringLiteral("subject"), q(message.subject));
    if (!message.attachmentPath.empty()) {
        if (!m_bus.connectionCapabilities().testFlag(QDBusConnection::UnixFileDescriptorPassing))
            return false;
        // Only a regular file: opening a pipe would block.
        if (regularFileSize(message.attachmentPath) < 0)
            return false;
        const FileHandle file(
            ::open(message.attachmentPath.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
        if (!file.isOpen())
            return false;
        qDBusRegisterMetaType<QList<QDBusUnixFileDescriptor>>();
        // The descriptor is duplicated into the message; ours closes at the end of scope.
        const QList<QDBusUnixFileDescriptor> fds{QDBusUnixFileDescriptor(file.get())};
        options.insert(QStringLiteral("attachment_fds"), QVariant::fromValue(fds));
    }
    const QString token = QStringLiteral("tunewagon%1").arg(QRandomGenerator::global()->generate());
    options.insert(QStringLiteral("handle_token"), token);

    QEventLoop loop;
    PortalResponse response(&loop);
    QString path = requestPath(m_bus, token);
    m_bus.connect(m_service, path, RequestInterface, QStringLiteral("Response"), &response,
                  SLOT(Response(uint, QVariantMap)));

    QDBusMessage call = QDBusMessage::createMethodCall(
        m_service, PortalPath, QStringLiteral("org.freedesktop.portal.Email"),
        QStringLiteral("ComposeEmail"));
    call << QString() << options;
    QDBusPendingCallWatcher watcher(m_bus.asyncCall(call, m_waitMs));
    QObject::connect(&watcher, &QDBusPendingCallWatcher::finished, &loop, &QEventLoop::quit);
    if (!watcher.isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    const QDBusPendingReply<QDBusObjectPath> reply = watcher;
    if (reply.isError()) {
        m_bus.disconnect(m_service, path, RequestInterface, QStringLiteral("Response"), &response,
                         SLOT(Response(uint, QVariantMap)));
        return false;
    }

    // Older portals choose the request path themselves.
    if (reply.value().path() != path && !response.code()) {
        m_bus.disconnect(m_service, path, RequestInterface, QStringLiteral("Response"), &response,
                         SLOT(Response(uint, QVariantMap)));
        path = reply.value().path();
        m_bus.connect(m_service, path, RequestInterface, QStringLiteral("Response"), &response,
                      SLOT(Response(uint, QVariantMap)));
    }
    if (!response.code()) {
        QTimer::singleShot(m_waitMs, &loop, &QEventLoop::quit);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    m_bus.disconnect(m_service, path, RequestInterface, QStringLiteral("Response"), &response,
                     SLOT(Response(uint, QVariantMap)));
    return response.code().value_or(0) != 2;
}

} // namespace tw::platform
