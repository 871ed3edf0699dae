#include "job/SizeText.h"

#include "i18n/StringTable.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace tw::job {
namespace {

const i18n::StringTable builtIn;

TEST(SizeText, KilobytesAreGroupedInThreesWithPlainSpaces) {
    EXPECT_EQ(sizeText(false, 0, builtIn), "0 КБ");
    EXPECT_EQ(sizeText(false, 5, builtIn), "5 КБ");
    EXPECT_EQ(sizeText(false, 999, builtIn), "999 КБ");
    EXPECT_EQ(sizeText(false, 1000, builtIn), "1 000 КБ");
    EXPECT_EQ(sizeText(false, 1234, builtIn), "1 234 КБ");
    EXPECT_EQ(sizeText(false, 999999, builtIn), "999 999 КБ");
}

TEST(SizeText, UnitChangesAtAMillionButDividesBy1024) {
    EXPECT_EQ(sizeText(false, 1000000, builtIn), "976 МБ");
    EXPECT_EQ(sizeText(false, 999999999, builtIn), "976 562 МБ");
    EXPECT_EQ(sizeText(false, 1023999999, builtIn), "999 999 МБ");
    EXPECT_EQ(sizeText(false, 1024000000, builtIn), "976 ГБ");
    // No unit beyond gigabytes.
    EXPECT_EQ(sizeText(false, std::numeric_limits<std::int64_t>::max(), builtIn),
              "8 796 093 022 207 ГБ");
}

TEST(SizeText, HideZeroHidesOnlyZero) {
    EXPECT_EQ(sizeText(true, 0, builtIn), "");
    EXPECT_EQ(sizeText(true, 1, builtIn), "1 КБ");
    EXPECT_EQ(sizeText(true, 1000000, builtIn), "976 МБ");
}

TEST(SizeText, UnitsComeFromTheGivenTable) {
    i18n::StringTable table;
    table.StrKB = "KB";
    table.StrMB = "MB";
    table.StrGB = "GB";
    EXPECT_EQ(sizeText(false, 12, table), "12 KB");
    EXPECT_EQ(sizeText(false, 2000000, table), "1 953 MB");
    EXPECT_EQ(sizeText(false, 2000000000, table), "1 907 GB");
}

TEST(SizeText, NegativeSizesKeepTheirSignOutsideTheGroups) {
    EXPECT_EQ(sizeText(false, -1, builtIn), "-1 КБ");
    EXPECT_EQ(sizeText(false, -123456, builtIn), "-123 456 КБ");
    EXPECT_EQ(sizeText(false, std::numeric_limits<std::int64_t>::min(), builtIn),
              "-9 223 372 036 854 775 808 КБ");
}

} // namespace
} // namespace tw::job
