#pragma once

#include "copy/CopyTypes.h"

#include <functional>
#include <memory>
#include <string>

class QWidget;

namespace tw::app {

// What one copy run hands back to the main window when its window has closed.
struct CopyOutcome {
    enum class End { Completed, Cancelled, Failed };
    End end = End::Failed;
    copy::RunCounters counters;
    // One line per missing entry and per failed file, with its reason; empty when there is
    // nothing to list.
    std::string details;
};

// The copy progress window as the main window drives it: shown modally over the main window
// (which it hides while the run goes on), it runs the copy of the set-up and closes itself.
class CopyWindow {
public:
    virtual ~CopyWindow() = default;
    virtual CopyOutcome execCopy(const copy::RunSetup& setup) = 0;
};

// Makes the copy window over the given main window.
using CopyWindowFactory = std::function<std::unique_ptr<CopyWindow>(QWidget* mainWindow)>;

} // namespace tw::app
