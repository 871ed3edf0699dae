#pragma once

#include "job/CopyJob.h"

#include <functional>
#include <memory>

class QWidget;

namespace tw::i18n {
struct StringTable;
}

namespace tw::app {

// The copy progress window as the main window drives it: shown modally over the main window
// (which it hides while the run goes on), it runs the job's copy with itself as the run's
// display, control and questions, and closes itself when the run returns.
class CopyWindow {
public:
    virtual ~CopyWindow() = default;
    virtual copy::CopyRun::End execCopy(job::CopyJob& job) = 0;
};

// Makes the copy window over the given main window.
using CopyWindowFactory = std::function<std::unique_ptr<CopyWindow>(
    const i18n::StringTable& strings, QWidget* mainWindow)>;

} // namespace tw::app
