#include "platform/desktop/DesktopMail.h"

#include "platform/MailChain.h"
#include "platform/desktop/MailtoMail.h"
#include "platform/desktop/PortalMail.h"
#include "platform/desktop/XdgEmailMail.h"

#include <memory>

namespace tw::platform {

MailHandOver& desktopMail() {
    // Kept to the very end of the process: its bus connections must not go after the
    // application object has gone.
    static MailChain* chain = [] {
        auto* ways = new MailChain;
        ways->add(std::make_unique<PortalMail>());
        ways->add(std::make_unique<XdgEmailMail>());
        ways->add(std::make_unique<MailtoMail>());
        return ways;
    }();
    return *chain;
}

} // namespace tw::platform
