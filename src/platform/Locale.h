#pragma once

#include <string>

namespace tw::platform {

// The locale that messages are shown in: the first of LC_ALL, LC_MESSAGES and LANG that is
// set and not empty ("ru_RU.UTF-8"); empty when none is.
std::string messagesLocale();

} // namespace tw::platform
