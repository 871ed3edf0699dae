// freshpoll: the new-version checker. Started by the main program with no arguments; it
// answers only through files: in its own folder when the program folder is the user's, in
// the user's state folder (Freshpoll/) for an installation.
#include "checker/CurlGlobal.h"
#include "checker/FreshpollRun.h"
#include "platform/FileSystem.h"
#include "platform/ProgramFolders.h"
#include "platform/SystemInfo.h"

#include <exception>
#include <iostream>
#include <string>

int main() {
    tw::platform::ignoreFileSizeSignal();
    try {
        tw::checker::CurlGlobal curl;
        // Installed, the checker lives in Freshpoll/ below the main program's folder and
        // follows the main program's rule for where files live; anywhere else its own folder
        // holds everything.
        const std::string own = tw::platform::programFolder();
        const std::size_t slash = own.find_last_of('/');
        if (own.substr(slash + 1) != "Freshpoll") {
            tw::checker::runCheck(own);
            return 0;
        }
        const tw::platform::ProgramFolders folders =
            tw::platform::findProgramFolders(own.substr(0, slash));
        tw::checker::runCheck(folders.dataFolder + "/Freshpoll/Settings.ini",
                              folders.stateFolder + "/Freshpoll");
    } catch (const std::exception& failure) {
        std::cerr << failure.what() << '\n';
        return 1;
    }
    return 0;
}
