#pragma once

#include "i18n/StringTable.h"

#include <cstdint>
#include <string>

namespace tw::job {

// What the launch rule decides for the start button, and which message (if any) goes with
// the decision.
struct LaunchDecision {
    bool enabled = false;
    enum class Message {
        None,
        Refused, // stop icon: the files do not fit
        Warned   // exclamation icon: as many as fit will be copied
    } message = Message::None;
    std::string text; // the message text, lines joined with CR LF; empty for None
};

// The launch rule over the copy set-up (sizes in KB, compared as signed 64-bit). Equal
// sizes count as not fitting.
LaunchDecision decideLaunch(bool destinationReady, bool listReady, bool asManyAsFit,
                            std::int32_t listCount, std::int64_t listSizeKB, std::int64_t freeKB,
                            const i18n::StringTable& t);

} // namespace tw::job
