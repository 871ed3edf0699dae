#pragma once

#include "errors/DebugLog.h"

#include <string>

namespace tw::errors {

// Shows the error window for a code; returns when the user has dealt with it.
class ErrorPresenter {
public:
    virtual ~ErrorPresenter() = default;
    virtual void showError(const std::string& code) = 0;
};

// The one place a caught failure goes: a record in the debug log, then the error window.
class ErrorReporter {
public:
    static ErrorReporter& instance();

    // The folder that holds ErrorLog; the running program's folder until one is set.
    void setProgramFolder(std::string folder);
    // The folder that holds ErrorLog, as set or as the running program's folder.
    std::string programFolder() const;
    void setPresenter(ErrorPresenter* presenter);
    // The clock of the log's time stamps (local time unless a test sets its own).
    void setClock(Clock clock);

    // Does nothing while the error window is open. Otherwise appends a record to the debug
    // log and shows the error window. A failure of the logging is not caught here: it
    // leaves the reporter and nothing is shown.
    void report(const std::string& code, const std::string& typeName, const std::string& dump);

    // Set while the error window is open.
    bool windowOpen() const { return m_windowOpen; }
    void setWindowOpen(bool open) { m_windowOpen = open; }

    // Set when the user chose to close the program from the error window: the program ends
    // without the exit question and without saving its settings.
    bool terminateRequested() const { return m_terminateRequested; }
    void setTerminateRequested(bool requested) { m_terminateRequested = requested; }

private:
    ErrorReporter() = default;

    std::string m_programFolder;
    ErrorPresenter* m_presenter = nullptr;
    Clock m_clock = localNow;
    bool m_windowOpen = false;
    bool m_terminateRequested = false;
};

} // namespace tw::errors
