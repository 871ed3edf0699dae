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

    // A portal that does not answer within the wait is taken for none, and the next way
    // gets its turn: a few seconds, not the minute a silent portal could otherwise keep
    // the error window waiting.
    static constexpr int DefaultWaitMs = 4000;

    explicit PortalMail(QDBusConnection bus = QDBusConnection::sessionBus(),
                        QString service = DesktopService, int waitMs = DefaultWaitMs);

    // False when no portal answers the call within the wait or it reports a failure; true
    // once the mail client has the message, the user cancelled in the portal's own dialog,
    // or the portal accepted the request and reported no failure within the wait. The event
    // loop runs meanwhile: windows are drawn and timers run; user input waits until the
    // hand-over returns.
    bool handOver(const MailMessage& message) override;

private:
    QDBusConnection m_bus;
    QString m_service;
    int m_waitMs;
};

} // namespace tw::platform
