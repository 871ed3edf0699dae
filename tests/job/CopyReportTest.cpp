#include "job/CopyReport.h"

#include <gtest/gtest.h>

#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using tw::copy::RunCounters;
using tw::i18n::StringTable;
using tw::job::buildCopyReport;

const std::string pad20(20, ' ');
const std::string rule = "     --------------------------";

std::vector<std::string> lines(const std::string& text, const std::string& br) {
    std::vector<std::string> out;
    std::size_t start = 0;
    for (;;) {
        const std::size_t at = text.find(br, start);
        if (at == std::string::npos) {
            out.push_back(text.substr(start));
            return out;
        }
        out.push_back(text.substr(start, at - start));
        start = at + br.size();
    }
}

TEST(CopyReport, ThreeCreatedOneSkippedHasTheFixedLinesAndNothingBelow) {
    const StringTable t;
    RunCounters c;
    c.created = 3;
    c.skipped = 1;
    const std::string report = buildCopyReport(c, false, t);
    const std::vector<std::string> expected = {
        t.StrReportTitle,
        "",
        t.StrReportCopied + "3" + pad20,
        rule,
        t.StrReportCreated + "3" + pad20,
        t.StrReportReplaced + "0" + pad20,
        t.StrReportRenamed + "0" + pad20,
        t.StrReportAutoRenamed + "0" + pad20,
        rule,
        t.StrReportSkipped + "1" + pad20,
        "", // after the final line break
    };
    EXPECT_EQ(lines(report, "\r\n"), expected);
    EXPECT_EQ(report.find('\n'), report.find("\r\n") + 1) << "every line ends with CR LF";
}

TEST(CopyReport, MissingAndFailedFollowAnEmptyLineInOrderWithoutIdentical) {
    const StringTable t;
    RunCounters c;
    c.missing = 2;
    c.failed = 1;
    const auto l = lines(buildCopyReport(c, false, t, "\n"), "\n");
    ASSERT_EQ(l.size(), 14u);
    EXPECT_EQ(l[9], t.StrReportSkipped + "0" + pad20);
    EXPECT_EQ(l[10], "");
    EXPECT_EQ(l[11], t.StrReportMissing + "2" + pad20);
    EXPECT_EQ(l[12], t.StrReportFailed + "1" + pad20);
    EXPECT_EQ(l[13], "");
}

TEST(CopyReport, IdenticalSitsBetweenMissingAndFailed) {
    const StringTable t;
    RunCounters c;
    c.missing = 1;
    c.identical = 4;
    c.failed = 2;
    const auto l = lines(buildCopyReport(c, false, t, "\n"), "\n");
    ASSERT_EQ(l.size(), 15u);
    EXPECT_EQ(l[11], t.StrReportMissing + "1" + pad20);
    EXPECT_EQ(l[12], t.StrReportIdentical + "4" + pad20);
    EXPECT_EQ(l[13], t.StrReportFailed + "2" + pad20);
}

TEST(CopyReport, CancelledRunAddsOneEmptyLineAndTheCancelledLine) {
    const StringTable t;
    const RunCounters c;
    const auto l = lines(buildCopyReport(c, true, t, "\n"), "\n");
    ASSERT_EQ(l.size(), 13u);
    EXPECT_EQ(l[9], t.StrReportSkipped + "0" + pad20);
    EXPECT_EQ(l[10], "");
    EXPECT_EQ(l[11], t.StrReportCancelled);
    EXPECT_EQ(l[12], "");
}

TEST(CopyReport, TotalCountsOnlyCopiedFiles) {
    const StringTable t;
    RunCounters c;
    c.created = 1;
    c.replaced = 2;
    c.renamed = 4;
    c.autoRenamed = 8;
    c.skipped = 100;
    c.missing = 100;
    c.identical = 100;
    c.failed = 100;
    const auto l = lines(buildCopyReport(c, false, t, "\n"), "\n");
    EXPECT_EQ(l[2], t.StrReportCopied + "15" + pad20);
}

TEST(CopyReport, TotalBeyond32BitsIsAnOverflowNotAWrappedNumber) {
    const StringTable t;
    RunCounters c;
    c.created = std::numeric_limits<std::int32_t>::max();
    c.replaced = 1;
    EXPECT_THROW(buildCopyReport(c, false, t), std::overflow_error);
    c.replaced = 0;
    EXPECT_NO_THROW(buildCopyReport(c, false, t));
}

TEST(CopyReport, TranslatedEntriesKeepTheirPadding) {
    StringTable t;
    t.applyLine(30, "Copy report...");
    t.applyLine(31, "Files copied in all:");
    t.applyLine(38, "Copying cancelled");
    t.padReportEntries();
    RunCounters c;
    c.created = 7;
    const auto l = lines(buildCopyReport(c, true, t, "\n"), "\n");
    EXPECT_EQ(l[0], "     Copy report..." + std::string(22, ' '));
    EXPECT_EQ(l[2], "     Files copied in all: 7" + pad20);
    EXPECT_EQ(l[11], "     Copying cancelled" + std::string(20, ' '));
}

} // namespace
