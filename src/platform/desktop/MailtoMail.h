#pragma once

#include "platform/MailHandOver.h"

#include <QDBusConnection>
#include <QUrl>

#include <functional>

namespace tw::platform {

// The last resort: a mailto: address with the subject, opened by the desktop, and the
// attachment shown in its folder (selected by the file manager where it can) so the user
// can attach it by hand.
class MailtoMail : public MailHandOver {
public:
    using UrlOpener = std::function<bool(const QUrl&)>;

    // By default the desktop opens the addresses (QDesktopServices).
    explicit MailtoMail(UrlOpener open = {}, QDBusConnection bus = QDBusConnection::sessionBus());

    // "mailto:<recipient>?subject=<percent-encoded subject>"
    static QUrl mailtoUrl(const MailMessage& message);

    // True when the desktop opened the mailto: address.
    bool handOver(const MailMessage& message) override;

private:
    void showInFolder(const std::string& path);

    UrlOpener m_open;
    QDBusConnection m_bus;
};

} // namespace tw::platform
