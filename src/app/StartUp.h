#pragma once

#include "app/ProgramPaths.h"

namespace tw::app {

// Runs the program over its folder, once the application object exists: creates the main
// window (which reads Settings.ini), then the first-start language window (which asks for the
// language only when Settings.ini is missing), then shows the main window and runs the event
// loop until it closes. Returns the exit code of the loop.
int runProgram(const ProgramPaths& paths);

} // namespace tw::app
