#include "job/ReportingFailureSink.h"

#include "errors/Guard.h"

namespace tw::job {

void ReportingFailureSink::reportCurrentFailure(std::string_view code) {
    errors::reportCurrentException(code);
}

} // namespace tw::job
