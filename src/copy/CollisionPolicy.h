#pragma once

#include "copy/CopyTypes.h"
#include "copy/RunQuestions.h"

#include <functional>
#include <string>
#include <utility>

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

    // Called before the policy waits for the user (a question or the notice); not when the
    // front end answers without anyone to ask.
    void setBeforeAsking(std::function<void()> beforeAsking) {
        m_beforeAsking = std::move(beforeAsking);
    }

    // Back to the state of a run's start: nothing remembered.
    void reset();

    bool remembered() const { return m_remembered; }
    CollisionAction currentAction() const { return m_current; }

private:
    RunQuestions& m_questions;
    bool& m_noticePending;
    bool m_remembered = false;
    CollisionAction m_current = CollisionAction::None;
    std::function<void()> m_beforeAsking;
};

} // namespace tw::copy
