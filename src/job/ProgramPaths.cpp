#include "job/ProgramPaths.h"

#include "platform/FileSystem.h"

#include <utility>

namespace tw::job {

ProgramPaths::ProgramPaths(std::string folder)
    : m_folder(std::move(folder)) {}

std::string ProgramPaths::below(const std::string& relative) const {
    return m_folder + "/" + relative;
}

std::string ProgramPaths::settingsIni() const {
    return below("Settings.ini");
}
std::string ProgramPaths::languageFolder() const {
    return below("Language");
}

std::string ProgramPaths::languageFile(const std::string& name) const {
    return below("Language/" + name + "/" + name + ".txt");
}

std::string ProgramPaths::languageHelp(const std::string& name) const {
    return below("Language/" + name + "/Help/index.htm");
}

std::string ProgramPaths::russianHelp() const {
    return below("Help.htm");
}
std::string ProgramPaths::sourceSettings() const {
    return below("Source/Settings.ini");
}
std::string ProgramPaths::sourceTempMht() const {
    return below("Source/Temp.mht");
}
std::string ProgramPaths::errorLogFolder() const {
    return below("ErrorLog");
}
std::string ProgramPaths::debugLog() const {
    return below("ErrorLog/Debug.Log");
}
std::string ProgramPaths::sendingDebugLog() const {
    return below("ErrorLog/SendingDebug.Log");
}
std::string ProgramPaths::tempFolder() const {
    return below("TempFiles");
}
std::string ProgramPaths::tmp1() const {
    return below("TempFiles/Tmp1");
}
std::string ProgramPaths::freshpollFolder() const {
    return below("Freshpoll");
}
std::string ProgramPaths::freshpollProgram() const {
    return below("Freshpoll/freshpoll");
}

} // namespace tw::job
