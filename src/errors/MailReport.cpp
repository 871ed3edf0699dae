#include "errors/MailReport.h"

#include "errors/DebugLog.h"
#include "errors/ProgramIdentity.h"
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

platform::MailMessage reportMessage(const std::string& subject, const std::string& attachmentPath) {
    return {std::string(AuthorAddress), subject, attachmentPath};
}

} // namespace tw::errors
