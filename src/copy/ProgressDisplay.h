#pragma once

#include "copy/CopyTypes.h"

#include <cstdint>
#include <string>

namespace tw::copy {

// What a copy run shows while it runs: the progress window, a terminal line, a test record.
class ProgressDisplay {
public:
    virtual ~ProgressDisplay() = default;
    virtual void showCurrentFile(const std::string& fileName) = 0;
    virtual void setElapsedText(const std::string& text) = 0; // StrElapsed + " " + time
    // Kilobytes done of the list's kilobytes; any size (see gaugeSteps for a 32-bit bar).
    virtual void setGauge(std::int64_t positionKB, std::int64_t maximumKB) = 0;
    virtual void setAnimation(bool on) = 0;
    virtual void setStatus(const std::string& text) = 0; // e.g. while flushing
    // After each chunk of the file being copied.
    virtual void fileProgress(std::uint64_t bytesDone, std::uint64_t bytesTotal) = 0;
    // An entry found missing or a copy that failed, as it happens (the run keeps the list).
    virtual void problem(const RunProblem& /*problem*/) {}
};

} // namespace tw::copy
