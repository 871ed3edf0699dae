#pragma once

#include "errors/DebugLog.h"

#include <string>

namespace tw::update {

// What the new-version check needs from the main window: its busy flag, its two polling
// timers, the announcement window, a way to start the checker, and the clock.
class NewVersionHost {
public:
    virtual ~NewVersionHost() = default;

    // True while the main window has a modal window or box of its own open.
    virtual bool busy() const = 0;
    virtual void clearBusy() = 0;
    virtual void pollForAnswer(bool on) = 0;
    virtual void retryAnnouncementLater(bool on) = 0;
    // Shows the new-version window modally; returns when it has closed.
    virtual void showAnnouncement() = 0;
    // Starts the checker detached, without arguments; whether it started is not asked.
    virtual void startChecker(const std::string& program) = 0;
    virtual errors::LocalTime now() const = 0;
    // Writes a note to the debug log (a damaged file that was put right), showing nothing.
    virtual void noteInLog(const std::string& code, const std::string& text) = 0;
};

} // namespace tw::update
