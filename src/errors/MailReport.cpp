#include "errors/MailReport.h"

#include "errors/DebugLog.h"
#include "errors/ProgramIdentity.h"
#include "platform/File.h"
#include "platform/FileSystem.h"

namespace tw::errors {

std::string sendingLogPath(const std::string& programFolder) {
    return DebugLog(programFolder).folder() + "/SendingDebug.Log";
}

std::string moveLogAside(const std::string& programFolder) {
    const std::string log = DebugLog(programFolder).path();
    const std::string sending = sendingLogPath(programFolder);
    platform::deleteFile(sending);
    if (!platform::moveFile(log, sending))
        return {};
    return sending;
}

std::string keepUnsentLog(const std::string& programFolder) {
    const DebugLog debugLog(programFolder);
    const std::string log = debugLog.path();
    const std::string sending = sendingLogPath(programFolder);
    if (platform::regularFileSize(sending) < 0)
        return log;
    if (platform::regularFileSize(log) >= 0) {
        // Records written meanwhile follow the unsent ones.
        std::string newer;
        platform::InputFile in(log);
        char buffer[64 * 1024];
        while (const std::size_t got = in.read(buffer, sizeof buffer))
            newer.append(buffer, got);
        platform::RecordLog merged(debugLog.folder(), "SendingDebug.Log");
        merged.append(newer);
        merged.close();
    }
    return platform::moveFile(sending, log) ? log : sending;
}

std::string unsentReportText(const std::string& language, const std::string& logPath) {
    // Not among the language file's lines: the built-in Russian text, English otherwise.
    if (language.empty() || language == "Russian")
        return "Не удалось передать отчет почтовой программе. Журнал ошибок сохранен в файле:\n" +
               logPath;
    return "The report could not be handed to a mail program. The error log is kept in:\n" +
           logPath;
}

platform::MailMessage reportMessage(const std::string& subject, const std::string& attachmentPath) {
    return {std::string(AuthorAddress), subject, attachmentPath};
}

} // namespace tw::errors
