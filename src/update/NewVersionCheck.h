#pragma once

#include "update/NewVersionHost.h"

#include <chrono>
#include <string>

namespace tw::update {

// How often the main window looks for the checker's answer, and retries an announcement
// that had to wait for the window to be free.
inline constexpr std::chrono::milliseconds CheckerPollInterval{1000};

// The main program's side of the new-version check: at most once a day it starts the
// checker, polls for the files the checker leaves in its folder, and has the announcement
// shown when the checker found one that the user has not acknowledged with Ok.
//
// Hand-off files in the checker's folder: LastCheck.ini (when the last check started),
// CheckNVTrue.txt and CheckNVTrueEng.txt (an announcement), CheckNVFalse (none),
// CheckReady (the checker has finished), CheckTrue (the user pressed Ok).
class NewVersionCheck {
public:
    // folder: the checker's folder (Freshpoll); program: the checker in it.
    NewVersionCheck(std::string folder, std::string program, NewVersionHost& host);

    // The start routine, once per run: shows a waiting announcement without checking again,
    // or, when the schedule allows, records the start in LastCheck.ini, removes the
    // finished-mark of an earlier check and starts the checker, then polls. A LastCheck.ini
    // that is not a date line and a time line counts as no earlier check, with a note in the
    // debug log. Throws on a failure (a LastCheck.ini that cannot be read or written); the
    // caller reports it, and no check runs in this run.
    void start();

    // The result step: once per run, when the main window is not busy, removes a negative
    // answer or shows the announcement that waits unacknowledged.
    void resultStep();

    void answerPollTick();        // polls for CheckReady
    void announcementRetryTick(); // retries the result step

    // The option was turned off: an announcement acknowledged with Ok may show again.
    void forgetAcknowledgement();

    bool checkStarted() const { return m_checkStarted; }
    bool resultHandled() const { return m_resultHandled; }

    std::string file(const char* name) const { return m_folder + "/" + name; }

private:
    bool announcementWaiting() const;

    std::string m_folder;
    std::string m_program;
    NewVersionHost& m_host;
    bool m_checkStarted = false;
    bool m_resultHandled = false;
};

} // namespace tw::update
