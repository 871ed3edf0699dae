#pragma once

#include "copy/CopyHost.h"
#include "copy/CopyTypes.h"

#include <string>

namespace tw::copy {

// The process-wide flag of the automatic-renaming notice: set at program start, cleared
// the first time the notice is shown, never set again while the program runs.
bool& autoRenameNoticePending();

// The answer to one name collision, remembered across the collisions of one run.
class CollisionPolicy {
public:
    struct Decision {
        CollisionAction action = CollisionAction::None;
        std::string typedName; // for Rename
        bool stop = false;     // the user confirmed a stop from the dialog
    };

    explicit CollisionPolicy(CopyHost& host);

    // For source and an existing target that is not the source: asks the user through the
    // host, or applies the remembered answer.
    Decision decide(const std::string& source, const std::string& target);

    // Back to the state of a run's start: nothing remembered.
    void reset();

    bool remembered() const { return m_remembered; }
    CollisionAction currentAction() const { return m_current; }

private:
    CopyHost& m_host;
    bool m_remembered = false;
    CollisionAction m_current = CollisionAction::None;
};

} // namespace tw::copy
