#pragma once

#include "platform/SystemInfo.h"

#include <functional>
#include <string>
#include <string_view>

namespace tw::errors {

// A local date and time, as the log records it.
using LocalTime = platform::LocalDateTime;

// The current local time.
LocalTime localNow();

using Clock = std::function<LocalTime()>;

// What the log says about the machine.
struct SystemFacts {
    std::string systemVersion; // "a.b.c"
    std::string user;          // empty when unknown
    std::string computer;      // empty when unknown
};

// The facts of this machine and user.
SystemFacts currentSystemFacts();

// The dump text as the log's Dump line holds it: one line, with quotes, backslashes and
// control characters escaped (\", \\, \xNN).
std::string dumpText(std::string_view message);

// The ten lines of one record, each ended by CR LF.
std::string formatRecord(const LocalTime& time, const SystemFacts& facts, const std::string& code,
                         const std::string& typeName, const std::string& dump);

// ErrorLog/Debug.Log below the program folder. Records are appended; earlier records are
// never rewritten, so a failure while logging cannot lose them.
class DebugLog {
public:
    explicit DebugLog(std::string programFolder, Clock clock = localNow,
                      std::function<SystemFacts()> facts = currentSystemFacts);

    // Creates ErrorLog when missing and appends one record. Throws platform::FileError when
    // the log cannot be opened or written: ErrorLog or Debug.Log is a link or Debug.Log is
    // no regular file, or the record does not fit (the log is then left as it was).
    void append(const std::string& code, const std::string& typeName, const std::string& dump);

    std::string folder() const;
    std::string path() const;

private:
    std::string m_programFolder;
    Clock m_clock;
    std::function<SystemFacts()> m_facts;
};

} // namespace tw::errors
