#pragma once

#include "platform/ProgramFolders.h"

#include <string>

namespace tw::job {

// Where every data file of the program lives, as start-up decided (platform::ProgramFolders):
// the shipped files below the data folder, Settings.ini in the configuration folder, the log,
// the scratch file and the checker's answers below the state folder. Never the working
// directory.
class ProgramPaths {
public:
    // folder: the program folder, without a trailing separator, holding everything.
    explicit ProgramPaths(std::string folder);
    explicit ProgramPaths(const platform::ProgramFolders& folders);

    // The folder of the shipped files (Language/, Help.htm, Source/).
    const std::string& folder() const { return m_folder; }
    const std::string& programFolder() const { return m_programFolder; }
    const std::string& configFolder() const { return m_configFolder; }
    // The folder that holds ErrorLog/ and TempFiles/.
    const std::string& stateFolder() const { return m_stateFolder; }

    std::string settingsIni() const;                         // Settings.ini
    std::string languageFolder() const;                      // Language
    std::string languageFile(const std::string& name) const; // Language/<name>/<name>.txt
    std::string languageHelp(const std::string& name) const; // Language/<name>/Help/index.htm
    std::string russianHelp() const;                         // Help.htm
    std::string sourceSettings() const;                      // Source/Settings.ini
    std::string sourceTempMht() const;                       // Source/Temp.mht
    std::string errorLogFolder() const;                      // ErrorLog
    std::string debugLog() const;                            // ErrorLog/Debug.Log
    std::string sendingDebugLog() const;                     // ErrorLog/SendingDebug.Log
    std::string tempFolder() const;                          // TempFiles
    std::string tmp1() const;                                // TempFiles/Tmp1
    std::string freshpollFolder() const;                     // Freshpoll (the answers)
    std::string freshpollProgram() const;                    // Freshpoll/freshpoll

private:
    std::string below(const std::string& relative) const;
    std::string inState(const std::string& relative) const;

    std::string m_folder;
    std::string m_programFolder;
    std::string m_configFolder;
    std::string m_stateFolder;
};

} // namespace tw::job
