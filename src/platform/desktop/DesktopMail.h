#pragma once

#include "platform/MailHandOver.h"

namespace tw::platform {

// The user's mail client as this desktop offers it: its e-mail portal, otherwise
// xdg-email, otherwise a mailto: address with the attachment shown in its folder.
MailHandOver& desktopMail();

} // namespace tw::platform
