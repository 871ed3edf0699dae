#include "app/gui/WindowProgram.h"

#include "app/gui/MainWindow.h"
#include "app/gui/TerminationWatch.h"
#include "errors/ErrorReporter.h"
#include "i18n/gui/FirstStartLanguageDialog.h"
#include "ui/SessionEnd.h"

#include <QApplication>
#include <QTimer>

namespace tw::app {

namespace {

// "Close the program" in an error window, or the session's end.
bool quitAsked() {
    return errors::ErrorReporter::instance().terminateRequested() || ui::sessionEnding();
}

} // namespace

int runWindowProgram(MainWindow& mainWindow, i18n::StringTable& strings) {
    // "Close the program" in an error window of the main window's creation ends it here.
    if (quitAsked())
        return 0;
    TerminationWatch termination(mainWindow);
    // Queued: runs once exec() has begun, so that QApplication::exit ends exec() itself and
    // not only a start-up window's own loop.
    QTimer::singleShot(0, &mainWindow, [&mainWindow, &strings] {
        {
            // On a first start the language is chosen before the main window shows; the
            // window is gone again once it has closed.
            i18n::FirstStartLanguageDialog languageWindow(strings, mainWindow.paths().folder(),
                                                          mainWindow.paths().settingsIni());
            languageWindow.showIfFirstStart();
        }
        if (quitAsked()) {
            QApplication::exit(0);
            return;
        }
        mainWindow.show();
    });
    return QApplication::exec();
}

} // namespace tw::app
