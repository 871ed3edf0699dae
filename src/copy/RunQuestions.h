#pragma once

#include "copy/CopyTypes.h"

namespace tw::copy {

// The questions a copy run asks its user.
class RunQuestions {
public:
    virtual ~RunQuestions() = default;
    virtual bool askStop() = 0; // beep + Yes/No; true = Yes
    virtual CollisionAnswer askCollision(const CollisionQuestion& q) = 0;
    virtual void showAutoRenameNotice() = 0; // the once-per-program information notice
    // True when collisions are answered by a fixed rule, with nobody waited for.
    virtual bool answersAtOnce() const { return false; }
};

} // namespace tw::copy
