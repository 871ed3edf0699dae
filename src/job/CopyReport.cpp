#include "job/CopyReport.h"

#include <cstdint>
#include <limits>
#include <stdexcept>

namespace tw::job {

namespace {

// A count as the report writes it: the decimal number and exactly 20 spaces.
std::string number(std::int64_t value) {
    return std::to_string(value) + std::string(20, ' ');
}

std::int32_t copiedTotal(const copy::RunCounters& c) {
    const std::int64_t sum = std::int64_t{c.created} + c.replaced + c.renamed + c.autoRenamed;
    if (sum > std::numeric_limits<std::int32_t>::max() ||
        sum < std::numeric_limits<std::int32_t>::min()) {
        throw std::overflow_error("copy report: the copied total does not fit 32 bits");
    }
    return static_cast<std::int32_t>(sum);
}

} // namespace

std::string buildCopyReport(const copy::RunCounters& c, bool cancelled, const i18n::StringTable& t,
                            std::string_view lineBreak) {
    const std::string br(lineBreak);
    const std::string rule = std::string(5, ' ') + std::string(26, '-');
    const std::int32_t total = copiedTotal(c);

    std::string r;
    r += t.StrReportTitle + br;
    r += br + t.StrReportCopied + number(total);
    r += br + rule;
    r += br + t.StrReportCreated + number(c.created);
    r += br + t.StrReportReplaced + number(c.replaced);
    r += br + t.StrReportRenamed + number(c.renamed);
    r += br + t.StrReportAutoRenamed + number(c.autoRenamed);
    r += br + rule;
    r += br + t.StrReportSkipped + number(c.skipped);
    if (c.missing > 0 || c.identical > 0 || c.failed > 0) {
        r += br;
    }
    if (c.missing > 0) {
        r += br + t.StrReportMissing + number(c.missing);
    }
    if (c.identical > 0) {
        r += br + t.StrReportIdentical + number(c.identical);
    }
    if (c.failed > 0) {
        r += br + t.StrReportFailed + number(c.failed);
    }
    if (cancelled) {
        r += br + br + t.StrReportCancelled;
    }
    r += br;
    return r;
}

} // namespace tw::job
