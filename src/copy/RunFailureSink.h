#pragma once

#include <string_view>

namespace tw::copy {

// Where a run reports a failure it did not expect, under its error code. Called inside the
// catch block that caught the failure, so the sink can look at the exception in flight; a
// sink that throws ends the run with that exception.
class RunFailureSink {
public:
    virtual ~RunFailureSink() = default;
    virtual void reportCurrentFailure(std::string_view code) = 0;
};

} // namespace tw::copy
