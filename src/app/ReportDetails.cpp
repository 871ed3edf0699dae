#include "app/ReportDetails.h"

#include <cstdint>
#include <string_view>

namespace tw::app {

namespace {

// A report entry without the padding that aligns it in the report.
std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

void addGroup(std::string& out, const copy::RunProblems& problems, copy::RunProblem::Kind kind,
              std::string_view caption) {
    bool any = false;
    for (const copy::RunProblem& p : problems.items()) {
        if (p.kind != kind)
            continue;
        if (!any) {
            if (!out.empty())
                out += '\n';
            out.append(trimmed(caption)).append("\n");
            any = true;
        }
        out += p.entry;
        if (!p.reason.empty())
            out.append(": ").append(p.reason);
        out += '\n';
    }
}

} // namespace

std::string buildReportDetails(const copy::RunProblems& problems, const i18n::StringTable& t) {
    std::string out;
    addGroup(out, problems, copy::RunProblem::Kind::Missing, t.StrReportMissing);
    addGroup(out, problems, copy::RunProblem::Kind::Failed, t.StrReportFailed);
    const std::int64_t more = problems.total() - static_cast<std::int64_t>(problems.items().size());
    if (more > 0)
        out += "\n... +" + std::to_string(more) + "\n";
    return out;
}

} // namespace tw::app
