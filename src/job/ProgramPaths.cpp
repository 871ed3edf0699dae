#include "job/ProgramPaths.h"

#include <utility>

namespace tw::job {

ProgramPaths::ProgramPaths(std::string folder)
    : m_folder(std::move(folder))
    , m_programFolder(m_folder)
    , m_configFolder(m_folder)
    , m_stateFolder(m_folder) {}

ProgramPaths::ProgramPaths(const platform::ProgramFolders& folders)
    : m_folder(folders.dataFolder)
    , m_programFolder(folders.programFolder)
    , m_configFolder(folders.configFolder)
    , m_stateFolder(folders.stateFolder) {}

std::string ProgramPaths::below(const std::string& relative) const {
    return m_folder + "/" + relative;
}

std::string ProgramPaths::inState(const std::string& relative) const {
    return m_stateFolder + "/" + relative;
}

std::string ProgramPaths::settingsIni() const {
    return m_configFolder + "/Settings.ini";
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
    return inState("ErrorLog");
}
std::string ProgramPaths::debugLog() const {
    return inState("ErrorLog/Debug.Log");
}
std::string ProgramPaths::sendingDebugLog() const {
    return inState("ErrorLog/SendingDebug.Log");
}
std::string ProgramPaths::tempFolder() const {
    return inState("TempFiles");
}
std::string ProgramPaths::tmp1() const {
    return inState("TempFiles/Tmp1");
}
std::string ProgramPaths::freshpollFolder() const {
    return inState("Freshpoll");
}
std::string ProgramPaths::freshpollProgram() const {
    return m_programFolder + "/Freshpoll/freshpoll";
}

} // namespace tw::job
