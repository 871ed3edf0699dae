#pragma once

#include "copy/RunFlags.h"

namespace tw::copy {

// How a front end's input reaches a running copy. Pause and Cancel land in the run's flags
// while events are pumped.
class RunControl {
public:
    virtual ~RunControl() = default;
    // Pumps pending input; Pause and Cancel set the flags here.
    virtual void processEvents(RunFlags& flags) = 0;
    virtual void sleepMs(int ms) = 0;
    // After each chunk of the file being copied, and every ~15 ms while copied files go to
    // the device (a window pumps its events here); false abandons the file being copied,
    // which then counts as failed (during a flush it is noted at the next processEvents).
    virtual bool continueFile() = 0;
};

} // namespace tw::copy
