#include "platform/DesktopMail.h"

#include "platform/MailChain.h"
#include "platform/MailtoMail.h"
#include "platform/PortalMail.h"
#include "platform/XdgEmailMail.h"

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
