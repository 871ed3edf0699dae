#include "app/gui/MainWindow.h"
#include "app/gui/TunewagonApplication.h"
#include "errors/ErrorReporter.h"
#include "errors/gui/ErrorWindowPresenter.h"
#include "i18n/StringTable.h"
#include "i18n/gui/FirstStartLanguageDialog.h"
#include "job/ProgramPaths.h"
#include "platform/FileSystem.h"
#include "platform/SystemInfo.h"
#include "platform/TerminationSignal.h"

#include <QSocketNotifier>

// The program reads no command-line arguments: the application object sees only the
// program's own name.
int main(int /*argc*/, char** argv) {
    tw::platform::raiseOpenFileLimit();
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    tw::app::TunewagonApplication application(qtArgc, qtArgv);

    const tw::job::ProgramPaths paths(tw::platform::programFolder());
    // Qt's own remembered state (the file dialogs' history) stays in the program folder too.
    tw::app::TunewagonApplication::keepUserSettingsIn(QString::fromStdString(paths.folder()));
    // The texts every window shows: built-in until a language is loaded.
    tw::i18n::StringTable strings;
    tw::errors::ErrorWindowPresenter presenter(strings);
    auto& reporter = tw::errors::ErrorReporter::instance();
    reporter.setProgramFolder(paths.folder());
    reporter.setPresenter(&presenter);

    tw::app::MainWindow mainWindow(paths, strings); // loadSettings runs here
    presenter.setOwner(&mainWindow);

    // On a first start the language is chosen here, before the main window shows; the
    // window is gone again once it has closed.
    {
        tw::i18n::FirstStartLanguageDialog languageWindow(strings, paths.folder());
        languageWindow.showIfFirstStart();
    }

    // The session ending (SIGTERM) closes the program as Exit does, without the question:
    // the settings are saved, then every loop ends.
    const int terminationFd = tw::platform::terminationDescriptor();
    QSocketNotifier termination(terminationFd, QSocketNotifier::Read);
    bool terminating = false;
    QObject::connect(&termination, &QSocketNotifier::activated, [&] {
        tw::platform::drainTermination(terminationFd);
        if (terminating)
            return;
        terminating = true;
        if (!reporter.terminateRequested())
            mainWindow.saveSettings();
        QApplication::exit(0);
    });

    // "Close the program" in an error window during start-up ends it before the loop.
    int result = 0;
    if (!reporter.terminateRequested()) {
        mainWindow.show();
        result = application.exec();
    }
    reporter.setPresenter(nullptr);
    return result;
}
