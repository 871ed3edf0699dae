#pragma once

#include "cli/CliOptions.h"

#include <string>
#include <vector>

namespace tw::cli {

struct ParsedArguments {
    enum class Action { Run, Help, Version, Error } action = Action::Error;
    CliOptions options;  // for Run
    std::string problem; // for Error: what was wrong
};

// Parses the arguments after the program name. "--" ends the options; a lone "-" or any
// other text not starting with "--" is an operand.
ParsedArguments parseArguments(const std::vector<std::string>& args);

// The usage text printed by --help (and after an argument error).
std::string usageText();

// The text printed by --version.
std::string versionText();

} // namespace tw::cli
