#include "app/ProgramPaths.h"
#include "app/StartUp.h"
#include "app/TunewagonApplication.h"
#include "platform/FileSystem.h"

// The program reads no command-line arguments: the application object sees only the
// program's own name.
int main(int /*argc*/, char** argv) {
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    tw::app::TunewagonApplication application(qtArgc, qtArgv);
    return tw::app::runProgram(tw::app::ProgramPaths(tw::platform::programFolder()));
}
