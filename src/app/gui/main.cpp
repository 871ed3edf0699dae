#include "app/gui/MainWindow.h"
#include "app/gui/TunewagonApplication.h"
#include "app/gui/WindowProgram.h"
#include "errors/ErrorReporter.h"
#include "errors/gui/ErrorWindowPresenter.h"
#include "i18n/StringTable.h"
#include "job/ProgramPaths.h"
#include "platform/FileSystem.h"
#include "platform/ProgramFolders.h"
#include "platform/SystemInfo.h"

#include <string>
#include <utility>
#include <vector>

// tunewagon [PLAYLIST [DESTINATION]]: Qt takes its own options; a playlist named on the
// command line (as a file manager's "Open with" names it) is opened as Choose... opens it,
// and a second argument chooses the destination.
int main(int argc, char** argv) {
    tw::platform::raiseOpenFileLimit();
    tw::platform::ignoreFileSizeSignal();
    tw::app::TunewagonApplication application(argc, argv);
    std::vector<std::string> startFiles = tw::app::startFilesFrom(QApplication::arguments());

    // Where the files live is decided once, here: the program folder when it is the user's,
    // the user's XDG folders for an installation.
    const tw::job::ProgramPaths paths(
        tw::platform::findProgramFolders(tw::platform::programFolder()));
    // Qt's own remembered state (the file dialogs' history) stays beside Settings.ini.
    tw::app::TunewagonApplication::keepUserSettingsIn(QString::fromStdString(paths.configFolder()));
    // The texts every window shows: built-in until a language is loaded.
    tw::i18n::StringTable strings;
    tw::errors::ErrorWindowPresenter presenter(strings);
    auto& reporter = tw::errors::ErrorReporter::instance();
    reporter.setProgramFolder(paths.stateFolder());
    reporter.setPresenter(&presenter);

    tw::app::MainWindow mainWindow(paths, strings); // loadSettings runs here
    presenter.setOwner(&mainWindow);

    const int result = tw::app::runWindowProgram(mainWindow, strings, std::move(startFiles));
    reporter.setPresenter(nullptr);
    return result;
}
