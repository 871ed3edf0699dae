#pragma once

#include "platform/MailHandOver.h"

#include <string>

namespace tw::errors {

// ErrorLog/SendingDebug.Log below the program folder: the log as last sent to the author.
std::string sendingLogPath(const std::string& programFolder);

// Moves ErrorLog/Debug.Log to ErrorLog/SendingDebug.Log, replacing an older one, so that the
// next failure starts a new log. Returns the moved log's path, or "" when there was no log.
std::string moveLogAside(const std::string& programFolder);

// The report to the author: the given subject and the log attached (nothing attached when
// the path is empty).
platform::MailMessage reportMessage(const std::string& subject, const std::string& attachmentPath);

} // namespace tw::errors
