#pragma once

#include <string>

namespace tw::platform {

// What start-up learns about the running program's surroundings before it decides where its
// files live.
struct FolderFacts {
    std::string programFolder; // folder of the running executable, no trailing separator
    bool programFolderWritable = false;
    bool sharedDataFound = false; // <prefix>/share/tunewagon beside <prefix>/lib/tunewagon
    std::string xdgConfigHome;    // the environment's values, empty when unset
    std::string xdgStateHome;
    std::string home; // $HOME, or the account's home folder when it is unset
};

// Where each kind of file lives.
//   programFolder: the programs (tunewagon, tunewagon-copy, Freshpoll/freshpoll)
//   dataFolder:    what ships and is only read (Language/, Help.htm, Source/,
//                  Freshpoll/Settings.ini)
//   configFolder:  Settings.ini (and Qt's remembered dialog state)
//   stateFolder:   ErrorLog/, TempFiles/ and the checker's answers in Freshpoll/
struct ProgramFolders {
    std::string programFolder;
    std::string dataFolder;
    std::string configFolder;
    std::string stateFolder;
    bool portable = true; // every folder is the program folder
};

// The one rule. A program folder the user can write to, outside a system layout, keeps
// everything (the portable archive unpacked in one's own folder). Otherwise, and always for
// a system layout (programs in <prefix>/lib/tunewagon, data in <prefix>/share/tunewagon, where
// even root must not write), the shipped files are read from the installation and the
// user's files go to $XDG_CONFIG_HOME/tunewagon (default ~/.config) and
// $XDG_STATE_HOME/tunewagon (default ~/.local/state). A relative XDG value is ignored, as the
// XDG rules say. Without any home folder the program folder is all there is.
ProgramFolders chooseProgramFolders(const FolderFacts& facts);

// <prefix>/share/tunewagon for a program folder <prefix>/lib/tunewagon; empty otherwise.
std::string sharedDataFolderFor(const std::string& programFolder);

// The facts of the running process for a program folder (access(2), the environment, the
// account database).
FolderFacts gatherFolderFacts(const std::string& programFolder);

// Gathers, chooses, and creates the user's folders (mode 0700, as XDG asks) with the
// checker's answer folder when they are not the program folder. Failures to create are not
// reported here: the first write that needs a folder reports it.
ProgramFolders findProgramFolders(const std::string& programFolder);

} // namespace tw::platform
