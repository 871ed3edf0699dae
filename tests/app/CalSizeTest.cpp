#include "app/CalSize.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace tw::app {
namespace {

TEST(CalSize, KilobytesAreGroupedInThreesWithPlainSpaces) {
    EXPECT_EQ(CalSize(false, 0), "0 КБ");
    EXPECT_EQ(CalSize(false, 5), "5 КБ");
    EXPECT_EQ(CalSize(false, 999), "999 КБ");
    EXPECT_EQ(CalSize(false, 1000), "1 000 КБ");
    EXPECT_EQ(CalSize(false, 1234), "1 234 КБ");
    EXPECT_EQ(CalSize(false, 999999), "999 999 КБ");
}

TEST(CalSize, UnitChangesAtAMillionButDividesBy1024) {
    EXPECT_EQ(CalSize(false, 1000000), "976 МБ");
    EXPECT_EQ(CalSize(false, 999999999), "976 562 МБ");
    EXPECT_EQ(CalSize(false, 1023999999), "999 999 МБ");
    EXPECT_EQ(CalSize(false, 1024000000), "976 ГБ");
    // No unit beyond gigabytes.
    EXPECT_EQ(CalSize(false, std::numeric_limits<std::int64_t>::max()), "8 796 093 022 207 ГБ");
}

TEST(CalSize, HideZeroHidesOnlyZero) {
    EXPECT_EQ(CalSize(true, 0), "");
    EXPECT_EQ(CalSize(true, 1), "1 КБ");
    EXPECT_EQ(CalSize(true, 1000000), "976 МБ");
}

TEST(CalSize, UnitsComeFromTheGivenTable) {
    i18n::StringTable table;
    table.StrKB = "KB";
    table.StrMB = "MB";
    table.StrGB = "GB";
    EXPECT_EQ(CalSize(false, 12, table), "12 KB");
    EXPECT_EQ(CalSize(false, 2000000, table), "1 953 MB");
    EXPECT_EQ(CalSize(false, 2000000000, table), "1 907 GB");
}

TEST(CalSize, NegativeSizesKeepTheirSignOutsideTheGroups) {
    EXPECT_EQ(CalSize(false, -1), "-1 КБ");
    EXPECT_EQ(CalSize(false, -123456), "-123 456 КБ");
    EXPECT_EQ(CalSize(false, std::numeric_limits<std::int64_t>::min()),
              "-9 223 372 036 854 775 808 КБ");
}

} // namespace
} // namespace tw::app
