#include "platform/desktop/MailtoMail.h"

#include "platform/FileSystem.h"

#include <QDBusMessage>
#include <QDesktopServices>

#include <utility>

namespace tw::platform {

MailtoMail::MailtoMail(UrlOpener open, QDBusConnection bus)
    : m_open(open ? std::move(open) : UrlOpener(&QDesktopServices::openUrl))
    , m_bus(std::move(bus)) {}

QUrl MailtoMail::mailtoUrl(const MailMessage& message) {
    const QByteArray address =
        QUrl::toPercentEncoding(QString::fromStdString(message.recipient), "@");
    const QByteArray subject = QUrl::toPercentEncoding(QString::fromStdString(message.subject));
    return QUrl::fromEncoded("mailto:" + address + "?subject=" + subject, QUrl::StrictMode);
}

bool MailtoMail::handOver(const MailMessage& message) {
    const bool opened = m_open(mailtoUrl(message));
    if (!message.attachmentPath.empty())
        showInFolder(message.attachmentPath);
    return opened;
}

void MailtoMail::showInFolder(const std::string& path) {
    const QUrl file = QUrl::fromLocalFile(QString::fromStdString(path));
    if (m_bus.isConnected()) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.FileManager1"),
            QStringLiteral("/org/freedesktop/FileManager1"),
            QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
        call << QStringList{file.toString(QUrl::FullyEncoded)} << QString();
        if (m_bus.call(call, QDBus::Block, 5000).type() == QDBusMessage::ReplyMessage)
            return;
    }
    m_open(file.adjusted(QUrl::RemoveFilename | QUrl::StripTrailingSlash));
}

} // namespace tw::platform
