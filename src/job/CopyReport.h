#pragma once

#include "copy/CopyTypes.h"
#include "i18n/StringTable.h"

#include <string>
#include <string_view>

namespace tw::job {

// The copy report shown after every copy run: the title, the copied total and its four
// parts, the skipped count, then the missing, identical and failed counts when they are
// above zero, and the cancelled line when the run was cancelled. Each line ends with
// lineBreak (CR LF in the window). Throws std::overflow_error when the copied total does
// not fit a signed 32-bit count.
std::string buildCopyReport(const copy::RunCounters& c, bool cancelled, const i18n::StringTable& t,
                            std::string_view lineBreak = "\r\n");

} // namespace tw::job
