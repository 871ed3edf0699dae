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
    // After each chunk of the file being copied (a window pumps its events here); false
    // abandons that file, which then counts as failed.
    virtual bool continueFile() = 0;
};

} // namespace tw::copy
