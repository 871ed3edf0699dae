#pragma once

#include "copy/RunFailureSink.h"

namespace tw::job {

// Hands a run's unexpected failure to the program's error reporter (the debug log and, in
// the window program, the error window).
class ReportingFailureSink : public copy::RunFailureSink {
public:
    void reportCurrentFailure(std::string_view code) override;
};

} // namespace tw::job
