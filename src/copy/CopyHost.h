#pragma once

#include "copy/CopyTypes.h"

#include <cstdint>
#include <string>

namespace tw::copy {

// Everything the copy run needs from the user and the screen. The progress window
// implements it; tests script it.
class CopyHost {
public:
    virtual ~CopyHost() = default;
    virtual void showCurrentFile(const std::string& fileName) = 0;
    virtual void setElapsedText(const std::string& text) = 0; // StrElapsed + " " + time
    virtual void setGauge(std::int64_t positionKB, std::int64_t maximumKB) = 0;
    virtual void setAnimation(bool on) = 0;
    virtual void setStatus(const std::string& text) = 0; // e.g. while flushing
    virtual void processEvents() = 0;                    // pump the event queue
    virtual bool paused() const = 0;                     // running flag false
    virtual bool cancelRequested() const = 0;
    virtual void clearCancelRequest() = 0;
    virtual void sleepMs(int ms) = 0;
    virtual bool askStop() = 0; // beep + Yes/No; true = Yes
    virtual CollisionAnswer askCollision(const CollisionQuestion& q) = 0;
    virtual void showAutoRenameNotice() = 0; // the once-per-program information notice
    // Called after each chunk of a file being copied; return false to cancel that file.
    virtual bool fileProgress(std::uint64_t bytesDone, std::uint64_t bytesTotal) = 0;
};

} // namespace tw::copy
