// The shipped programs' side of the test seam: no fault is ever armed and writes are not
// paced. Tests and benchmarks link FaultInjection.cpp instead.
#include "platform/FaultInjection.h"

namespace tw::platform {

int takeFileFault(FileOperation, const std::string&) {
    return 0;
}

int takeFileFault(FileOperation, int) {
    return 0;
}

void pacedWrite(std::uint64_t) {}

std::chrono::steady_clock::time_point copyClockNow() {
    return std::chrono::steady_clock::now();
}

void pacedFlush() {}

void pacedLookup(const std::string&) {}

} // namespace tw::platform
