#pragma once

#include "platform/MailHandOver.h"

#include <QDBusConnection>
#include <QString>

namespace tw::platform {

// The desktop's e-mail portal (org.freedesktop.portal.Email): the attachment travels as an
// open file descriptor, so it reaches sandboxed and remote mail clients alike.
class PortalMail : public MailHandOver {
public:
    static inline const QString DesktopService = QStringLiteral("org.freedesktop.portal.Desktop");

    explicit PortalMail(QDBusConnection bus = QDBusConnection::sessionBus(),
                        QString service = DesktopService, int waitMs = 30000);

    // False when no portal answers or it reports a failure; true once the mail client has
    // the message, the user cancelled in the portal's own dialog, or the portal accepted the
    // request but gave no answer within the wait. Windows are drawn meanwhile; user input
    // waits until the hand-over returns.
    bool handOver(const MailMessage& message) override;

private:
    QDBusConnection m_bus;
    QString m_service;
    int m_waitMs;
};

} // namespace tw::platform
