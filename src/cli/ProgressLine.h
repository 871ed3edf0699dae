#pragma once

#include "i18n/StringTable.h"

#include <cstdint>
#include <string>

namespace tw::cli {

// One line of copy progress for a terminal: a bar, the percentage, the kilobytes done of the
// list size, the elapsed text and the current file (or status), cut to the given number of
// columns (0: not cut).
std::string progressLine(int columns, std::int64_t doneKB, std::int64_t totalKB,
                         const std::string& elapsedText, const std::string& current,
                         const i18n::StringTable& t);

// Number of characters (UTF-8 code points) in the text.
std::size_t displayLength(const std::string& text);

} // namespace tw::cli
