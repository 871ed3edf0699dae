#pragma once

#include "copy/CopyTypes.h"

namespace tw::cli {

// Exit statuses of tunewagon-copy.
inline constexpr int exitCopied = 0;     // no copy failed and no entry was missing
inline constexpr int exitIncomplete = 1; // some copies failed or entries were missing
inline constexpr int exitRefused = 2;    // bad arguments, or the copy could not start
inline constexpr int exitCancelled = 130;

// The status of a run that started: cancelled (the run was stopped, or a cancel was left
// standing) wins over incomplete.
int exitStatusFor(bool runCancelled, bool runFailed, const copy::RunCounters& counters);

} // namespace tw::cli
