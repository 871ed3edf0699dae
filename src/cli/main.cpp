// tunewagon-copy: copies the files a playlist names into a folder, from the command line.

#include "cli/ArgumentParser.h"
#include "cli/CopyCommand.h"
#include "cli/ExitStatus.h"
#include "cli/TerminalConsole.h"
#include "errors/ErrorReporter.h"
#include "job/ProgramPaths.h"
#include "platform/FileSystem.h"
#include "platform/ProgramFolders.h"
#include "platform/SystemInfo.h"
#include "platform/Terminal.h"
#include "text/ControlEscape.h"

#include <exception>
#include <string>
#include <vector>

namespace {

// Texts from files and names are shown, not obeyed: control characters go out escaped.
void write(tw::platform::StdStream stream, const std::string& text) {
    tw::platform::writeStream(stream, tw::text::escapeControls(text, true));
}

} // namespace

int main(int argc, char** argv) {
    using tw::platform::StdStream;
    tw::platform::ignoreFileSizeSignal();
    const std::vector<std::string> args(argv + 1, argv + argc);
    const tw::cli::ParsedArguments parsed = tw::cli::parseArguments(args);
    switch (parsed.action) {
    case tw::cli::ParsedArguments::Action::Help:
        write(StdStream::Output, tw::cli::usageText());
        return tw::cli::exitCopied;
    case tw::cli::ParsedArguments::Action::Version:
        write(StdStream::Output, tw::cli::versionText());
        return tw::cli::exitCopied;
    case tw::cli::ParsedArguments::Action::Error:
        write(StdStream::Error,
              "tunewagon-copy: " + parsed.problem + "\n\n" + tw::cli::usageText());
        return tw::cli::exitRefused;
    case tw::cli::ParsedArguments::Action::Run:
        break;
    }

    // The first Ctrl-C asks the run to stop after the current file, the second abandons
    // that file too, the third ends the program at once.
    tw::platform::installInterruptCounter(3);
    tw::platform::raiseOpenFileLimit();
    try {
        const tw::job::ProgramPaths paths(
            tw::platform::findProgramFolders(tw::platform::programFolder()));
        tw::errors::ErrorReporter::instance().setProgramFolder(paths.stateFolder());
        tw::cli::TerminalConsole console;
        std::string report;
        const int status = tw::cli::runCopyCommand(parsed.options, paths,
                                                   tw::platform::workingFolder(), console, report);
        write(StdStream::Output, report);
        return status;
    } catch (const std::exception& e) {
        write(StdStream::Error, std::string("tunewagon-copy: ") + e.what() + "\n");
        return tw::cli::exitRefused;
    }
}
