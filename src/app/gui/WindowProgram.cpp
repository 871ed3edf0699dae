#include "app/gui/WindowProgram.h"

#include "app/gui/MainWindow.h"
#include "app/gui/TerminationWatch.h"
#include "errors/ErrorReporter.h"
#include "i18n/gui/FirstStartLanguageDialog.h"
#include "ui/SessionEnd.h"

#include <QApplication>
#include <QFileInfo>
#include <QTimer>
#include <QUrl>

#include <utility>

namespace tw::app {

namespace {

// "Close the program" in an error window, or the session's end.
bool quitAsked() {
    return errors::ErrorReporter::instance().terminateRequested() || ui::sessionEnding();
}

} // namespace

std::vector<std::string> startFilesFrom(const QStringList& arguments) {
    std::vector<std::string> files;
    for (qsizetype i = 1; i < arguments.size() && files.size() < 2; ++i) {
        const QString& argument = arguments[i];
        if (argument.isEmpty())
            continue;
        const QUrl url(argument);
        const QString path = url.isLocalFile() ? url.toLocalFile() : argument;
        files.push_back(QFileInfo(path).absoluteFilePath().toStdString());
    }
    return files;
}

int runWindowProgram(MainWindow& mainWindow, i18n::StringTable& strings,
                     std::vector<std::string> startFiles) {
    // "Close the program" in an error window of the main window's creation ends it here.
    if (quitAsked())
        return 0;
    TerminationWatch termination(mainWindow);
    // Queued: runs once exec() has begun, so that QApplication::exit ends exec() itself and
    // not only a start-up window's own loop.
    QTimer::singleShot(0, &mainWindow, [&mainWindow, &strings, startFiles = std::move(startFiles)] {
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
        // Queued behind the first show's own work (language, new-version check).
        if (!startFiles.empty())
            QTimer::singleShot(0, &mainWindow, [&mainWindow, startFiles] {
                mainWindow.openPlaylist(startFiles[0]);
                if (startFiles.size() > 1 && !quitAsked())
                    mainWindow.useDestination(startFiles[1]);
            });
    });
    return QApplication::exec();
}

} // namespace tw::app
