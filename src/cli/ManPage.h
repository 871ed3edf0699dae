#pragma once

#include <string>
#include <vector>

namespace tw::cli {

// One option as the usage text lists it: the option column ("--on-collision=MODE") and
// its description, continuation lines joined with a blank.
struct UsageOption {
    std::string names;
    std::string description;
};

// The options of a usage text: every line that starts with blanks and "--" opens one; a
// more deeply indented line that does not start with "-" continues the one before.
std::vector<UsageOption> usageOptions(const std::string& usage);

// The manual page (man(7) macros) of tunewagon-copy, built from the usage text that --help
// prints, so the two never name different options. The version text goes into the footer.
std::string manPage(const std::string& usage, const std::string& version);

} // namespace tw::cli
