#pragma once

#include "copy/CopyTypes.h"
#include "copy/RunQuestions.h"

#include <string>

namespace tw::copy {

// The answer to one name collision, remembered across the collisions of one run.
class CollisionPolicy {
public:
    struct Decision {
        CollisionAction action = CollisionAction::None;
        std::string typedName; // for Rename
        bool stop = false;     // the user confirmed a stop from the dialog
    };

    // noticePending: the program-wide flag of the automatic-renaming notice, set at program
    // start and cleared the first time the notice is shown.
    CollisionPolicy(RunQuestions& questions, bool& noticePending);

    // For source and an existing target that is not the source: asks the user through the
    // host, or applies the remembered answer. targetNames: what the target's device refuses.
    Decision decide(const platform::Path& source, const platform::Path& target,
                    const platform::NameRules& targetNames = {});

    // Back to the state of a run's start: nothing remembered.
    void reset();

    bool remembered() const { return m_remembered; }
    CollisionAction currentAction() const { return m_current; }

private:
    RunQuestions& m_questions;
    bool& m_noticePending;
    bool m_remembered = false;
    CollisionAction m_current = CollisionAction::None;
};

} // namespace tw::copy
