#include "cli/ExitStatus.h"

namespace tw::cli {

int exitStatusFor(bool runCancelled, bool runFailed, const copy::RunCounters& counters) {
    if (runCancelled) {
        return exitCancelled;
    }
    if (runFailed || counters.failed > 0 || counters.missing > 0) {
        return exitIncomplete;
    }
    return exitCopied;
}

} // namespace tw::cli
