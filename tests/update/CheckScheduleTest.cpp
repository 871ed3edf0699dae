#include "update/CheckSchedule.h"
#include "update/ScheduleError.h"

#include <gtest/gtest.h>

#include <clocale>

namespace {

using tw::update::checkDue;
using tw::update::LocalTime;

LocalTime at(int year, int month, int day, int hour, int minute) {
    return {year, month, day, hour, minute, 0};
}

TEST(CheckSchedule, YesterdayCountsOnlyOnceADayHasPassedByTheHour) {
    // Last check yesterday at 10:30:00: 13 hours were left of that day.
    EXPECT_FALSE(checkDue(at(2026, 12, 8, 9, 15), "07.12.26", "10:30:00"));  // 13 + 9 + 1 = 23
    EXPECT_TRUE(checkDue(at(2026, 12, 8, 10, 15), "07.12.26", "10:30:00"));  // 13 + 10 + 1 = 24
    EXPECT_FALSE(checkDue(at(2026, 12, 8, 23, 59), "08.12.26", "00:00:01")); // today
    EXPECT_TRUE(checkDue(at(2026, 12, 8, 0, 0), "06.12.26", "23:59:59"));    // two days
    // Yesterday across a month and a year end: the day count comes from the calendar.
    EXPECT_FALSE(checkDue(at(2027, 1, 1, 9, 0), "31.12.26", "10:30:00"));
    EXPECT_FALSE(checkDue(at(2026, 3, 1, 9, 0), "28.02.26", "10:30:00"));
    EXPECT_FALSE(checkDue(at(2024, 3, 1, 9, 0), "29.02.24", "10:30:00"));
    EXPECT_TRUE(checkDue(at(2024, 3, 1, 9, 0), "28.02.24", "10:30:00"));
    // Yesterday in the last minute of the day: no hours left, no underflow.
    EXPECT_FALSE(checkDue(at(2026, 12, 8, 22, 0), "07.12.26", "23:59:30"));
    EXPECT_TRUE(checkDue(at(2026, 12, 8, 23, 0), "07.12.26", "23:59:30"));
    // A last check dated in the future (the clock was put back) does not stop checks.
    EXPECT_TRUE(checkDue(at(2026, 12, 8, 12, 0), "09.12.26", "10:00:00"));
}

TEST(CheckSchedule, DatesReadTheSameWhateverSeparatorOrLocaleWroteThem) {
    const char* before = std::setlocale(LC_ALL, nullptr);
    const std::string saved = before ? before : "C";
    for (const char* locale : {"C", "C.UTF-8"}) {
        std::setlocale(LC_ALL, locale);
        for (const char* date : {"07.12.26", "07/12/26", "07-12-26", "7.12.2026", " 07.12.26 "})
            EXPECT_FALSE(checkDue(at(2026, 12, 8, 9, 15), date, "10:30:00")) << date;
        EXPECT_EQ(tw::update::formatCheckDate(at(2026, 3, 5, 7, 8)), "05.03.26");
        EXPECT_EQ(tw::update::formatCheckTime({2026, 3, 5, 7, 8, 9}), "07:08:09");
    }
    std::setlocale(LC_ALL, saved.c_str());
}

TEST(CheckSchedule, TextThatIsNotADateOrTimeFails) {
    const LocalTime now = at(2026, 12, 8, 12, 0);
    for (const char* date : {"", "yesterday", "31.02.26", "07.13.26", "07.12", "07.12/26",
                             "07.12.263", "0x.12.26", "-1.12.26"})
        EXPECT_THROW(checkDue(now, date, "10:00:00"), tw::update::ScheduleError) << date;
    // The time matters only for yesterday.
    EXPECT_THROW(checkDue(now, "07.12.26", "noon"), tw::update::ScheduleError);
    EXPECT_THROW(checkDue(now, "07.12.26", "24:00:00"), tw::update::ScheduleError);
    EXPECT_FALSE(checkDue(now, "08.12.26", "noon"));
}

} // namespace
