#pragma once

#include "copy/CopyTypes.h"
#include "i18n/StringTable.h"

#include <string>

namespace tw::app {

// The "Show details..." text of the copy report: the missing entries under the report's
// missing caption, then the failed files with their reasons under its failed caption, one
// per line, and how many more there were when the run kept only the first of them. Empty
// when there is nothing to list.
std::string buildReportDetails(const copy::RunProblems& problems, const i18n::StringTable& t);

} // namespace tw::app
