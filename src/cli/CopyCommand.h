#pragma once

#include "cli/CliOptions.h"
#include "cli/Console.h"
#include "job/ProgramPaths.h"

#include <string>

namespace tw::cli {

// The whole copy of tunewagon-copy over parsed options: the language, the checks of the
// destination, the list scan, the launch rule, the copy run and its report. Messages go to
// the console; the report (with LF line ends) is appended to report. Returns the exit
// status. paths names Settings.ini and the Language folder; relative operands are taken
// against currentFolder.
int runCopyCommand(const CliOptions& options, const job::ProgramPaths& paths,
                   const std::string& currentFolder, Console& console, std::string& report);

// The same with one folder holding everything (the portable layout).
int runCopyCommand(const CliOptions& options, const std::string& programFolder,
                   const std::string& currentFolder, Console& console, std::string& report);

} // namespace tw::cli
