#pragma once

#include <string>

namespace tw::job {

// Where every data file of the program lives: always below the program folder, never in the
// working directory or the user's home.
class ProgramPaths {
public:
    // folder: the program folder, without a trailing separator.
    explicit ProgramPaths(std::string folder);

    const std::string& folder() const { return m_folder; }

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
    std::string freshpollFolder() const;                     // Freshpoll
    std::string freshpollProgram() const;                    // Freshpoll/freshpoll

private:
    std::string below(const std::string& relative) const;

    std::string m_folder;
};

} // namespace tw::job
