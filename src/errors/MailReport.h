#pragma once

#include "platform/MailHandOver.h"

#include <string>

namespace tw::errors {

// ErrorLog/SendingDebug.Log below the program folder: the log as last sent to the author.
std::string sendingLogPath(const std::string& programFolder);

// Moves ErrorLog/Debug.Log to ErrorLog/SendingDebug.Log, replacing an older one, so that the
// next failure starts a new log. Returns the moved log's path, or "" when there was no log.
std::string moveLogAside(const std::string& programFolder);

// A report no mail client took: its records go back into ErrorLog/Debug.Log, ahead of any
// written meanwhile, to be sent with the next report. Returns where the records are now
// (SendingDebug.Log when they could not be put back). Throws platform::FileError when the
// logs cannot be read or written.
std::string keepUnsentLog(const std::string& programFolder);

// What the user is told when no mail client took the report: that it was not handed over,
// and where the log is, in the current language (Russian or English).
std::string unsentReportText(const std::string& language, const std::string& logPath);

// The report to the author: the given subject and the log attached (nothing attached when
// the path is empty).
platform::MailMessage reportMessage(const std::string& subject, const std::string& attachmentPath);

} // namespace tw::errors
