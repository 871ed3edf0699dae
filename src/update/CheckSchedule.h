#pragma once

#include "errors/DebugLog.h"

#include <optional>
#include <string>

// The once-a-day rule of the new-version check and the two lines of LastCheck.ini.
namespace tw::update {

using errors::LocalTime;

// A calendar date as LastCheck.ini writes it.
struct CheckDate {
    int year = 0;
    int month = 0;
    int day = 0;
};

// "dd.mm.yy" from a date written with ".", "/" or "-" between day, month and year (one or
// two digits for day and month; two or four for the year, two meaning 20yy). Nothing when
// the text is not a real date.
std::optional<CheckDate> parseCheckDate(const std::string& text);

// Seconds after midnight from "hh:nn:ss" (or "hh:nn"; ":" or "."). Nothing when the text is
// not a time of day.
std::optional<int> parseCheckTime(const std::string& text);

// The lines LastCheck.ini gets: "dd.mm.yy" and "hh:nn:ss".
std::string formatCheckDate(const LocalTime& time);
std::string formatCheckTime(const LocalTime& time);

// Whether a check is due now, given the two lines of LastCheck.ini: never on the day of the
// last check; on the next day only once the hours since the last check reach a day (the
// hour of 23:59:00 minus the last time, plus the hour now, plus one, is 24 or more); always
// after that, and when the last check lies in the future. The day difference comes from the
// dates themselves, whatever the system's date format. Throws ScheduleError when the date
// line is not a date, or when the time line is needed and is not a time.
bool checkDue(const LocalTime& now, const std::string& dateLine, const std::string& timeLine);

} // namespace tw::update
