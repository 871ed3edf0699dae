#pragma once

#include "i18n/StringTable.h"

#include <cstdint>
#include <string>

namespace tw::job {

// The size text of every size label: the kilobytes, or megabytes from 1,000,000 KB on, or
// gigabytes from 1,000,000 MB on (divisor 1024 each time), digits grouped in threes with a
// plain space, a space and the unit from the table. Empty for zero when hideZero is set.
std::string sizeText(bool hideZero, std::int64_t kb, const i18n::StringTable& table);

} // namespace tw::job
