#pragma once

#include <QStringList>

#include <string>
#include <vector>

namespace tw::i18n {
struct StringTable;
}

namespace tw::app {

class MainWindow;

// The window program's loop, once its main window is made: SIGTERM and SIGHUP are watched
// from here on, and the start-up windows (the first-start language choice, then the main
// window with whatever its first show opens: the new-version window, an error window) run
// from inside the application's loop, so that a quit asked for in any of them ends the
// program. Returns the status the program ends with.
// strings: the table the main window shows, which the first-start window sets the language of.
// startFiles: a playlist, then perhaps a destination folder, opened once the main window
// shows, as its buttons would open them.
int runWindowProgram(MainWindow& mainWindow, i18n::StringTable& strings,
                     std::vector<std::string> startFiles = {});

// The files named on the command line (after Qt took its own options): the first two
// arguments, made absolute against the working folder; a file:// address is taken as its
// local path.
std::vector<std::string> startFilesFrom(const QStringList& arguments);

} // namespace tw::app
