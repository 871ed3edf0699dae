#include "errors/DebugLog.h"

#include "errors/ProgramIdentity.h"

#include "platform/File.h"
#include "platform/FileSystem.h"
#include "platform/SystemInfo.h"
#include "text/ControlEscape.h"

#include <cstdio>
#include <string_view>
#include <utility>

namespace tw::errors {

namespace {

constexpr std::string_view lineEnd = "\r\n";

std::string orNotAvailable(const std::string& text) {
    return text.empty() ? std::string("n/a") : text;
}

std::string twoDigits(int value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02d", value);
    return buffer;
}

std::string fourDigits(int value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%04d", value);
    return buffer;
}

} // namespace

LocalTime localNow() {
    const platform::LocalDateTime t = platform::localDateTimeNow();
    return {t.year, t.month, t.day, t.hour, t.minute, t.second};
}

std::string dumpText(std::string_view message) {
    std::string quoted;
    quoted.reserve(message.size());
    for (const char c : message) {
        if (c == '"' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    return text::escapeControls(quoted, false);
}

SystemFacts currentSystemFacts() {
    return {platform::kernelVersion(), platform::userName(), platform::hostName()};
}

std::string formatRecord(const LocalTime& time, const SystemFacts& facts, const std::string& code,
                         const std::string& typeName, const std::string& dump) {
    std::string record;
    auto line = [&record](std::string_view a, std::string_view b = {}) {
        record += a;
        record += b;
        record += lineEnd;
    };
    line(std::string(73, '='));
    line(twoDigits(time.hour) + ":" + twoDigits(time.minute) + ":" + twoDigits(time.second) + " [" +
         twoDigits(time.month) + "/" + twoDigits(time.day) + "/" + fourDigits(time.year) + "]");
    line("SSCN = ", ProgramName);
    line("SSCV = ", ProgramVersion);
    line("WinV = ", facts.systemVersion);
    line("User = ", orNotAvailable(facts.user));
    line("PC = ", orNotAvailable(facts.computer));
    line("Adress = ", code);
    line("Type = ", typeName);
    line("Dump = \"" + dumpText(dump) + "\"");
    return record;
}

DebugLog::DebugLog(std::string programFolder, Clock clock, std::function<SystemFacts()> facts)
    : m_programFolder(std::move(programFolder))
    , m_clock(std::move(clock))
    , m_facts(std::move(facts)) {}

std::string DebugLog::folder() const {
    return m_programFolder + "/ErrorLog";
}

std::string DebugLog::path() const {
    return folder() + "/Debug.Log";
}

void DebugLog::append(const std::string& code, const std::string& typeName,
                      const std::string& dump) {
    // One level only: a program folder that has gone away is not recreated here, and the
    // open below reports it.
    if (!platform::folderExists(folder()))
        platform::createFolder(folder());
    const std::string record = formatRecord(m_clock(), m_facts(), code, typeName, dump);
    // Never through a link, never into a FIFO or device, and a whole record or nothing.
    platform::RecordLog log(folder(), "Debug.Log");
    log.append(record);
    log.close();
}

} // namespace tw::errors
