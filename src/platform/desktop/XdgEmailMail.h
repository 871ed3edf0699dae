#pragma once

#include "platform/MailHandOver.h"

#include <QString>

namespace tw::platform {

// xdg-email (xdg-utils): "--subject ... --attach <file> <address>". It opens the user's
// mail client; some clients take the attachment, others ignore it.
class XdgEmailMail : public MailHandOver {
public:
    explicit XdgEmailMail(QString program = QStringLiteral("xdg-email"), int waitMs = 30000);

    // False when the program is missing, fails or crashes. A client started in the
    // foreground keeps xdg-email running until it closes; after the wait it is left to run
    // and the hand-over counts as done. Windows are drawn meanwhile; user input waits.
    bool handOver(const MailMessage& message) override;

private:
    QString m_program;
    int m_waitMs;
};

} // namespace tw::platform
