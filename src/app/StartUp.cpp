#include "app/StartUp.h"

#include "app/Unit1.h"
#include "errors/ErrorReporter.h"
#include "errors/ErrorWindowPresenter.h"
#include "i18n/Unit10.h"

#include <QApplication>

namespace tw::app {

int runProgram(const ProgramPaths& paths) {
    errors::ErrorWindowPresenter presenter;
    auto& reporter = errors::ErrorReporter::instance();
    reporter.setProgramFolder(paths.folder());
    reporter.setPresenter(&presenter);

    TForm1 mainWindow(paths); // FormCreate runs here
    presenter.setOwner(&mainWindow);

    // On a first start the language is chosen before the main window shows; the window is
    // gone again once it has closed.
    {
        i18n::TForm10 languageWindow(paths.folder());
        languageWindow.showIfFirstStart();
    }

    // "Close the program" in an error window during start-up ends it before the loop.
    int result = 0;
    if (!reporter.terminateRequested()) {
        mainWindow.show();
        result = QApplication::exec();
    }
    reporter.setPresenter(nullptr);
    return result;
}

} // namespace tw::app
