#pragma once

namespace tw::ui {

// The desktop session ending (a logout, SIGTERM, SIGHUP) while the program runs. Once it is
// asked for, every loop of the program ends: the open dialogs close as if cancelled, a copy
// stops as after a confirmed Cancel, and no new window waits for an answer.
//
// Asks for the end: marks it, hides the open dialogs and menus, and makes every running event
// loop return (the application's with status 0). Only the first call acts.
void endSession();

// True once the end was asked for; windows that run their own loops look here.
bool sessionEnding();

// Forgets the request (tests that end one session after another).
void resetSessionEnd();

} // namespace tw::ui
