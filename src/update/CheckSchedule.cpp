#include "update/CheckSchedule.h"

#include "update/ScheduleError.h"

#include "text/Trim.h"

#include <charconv>
#include <chrono>
#include <cstdio>
#include <vector>

namespace tw::update {

namespace {

using text::trimmed;

// Cuts the text at any of the separators into fields of digits only; nothing when a field
// is empty or not a number, or when the text mixes separators.
std::optional<std::vector<int>> numberFields(const std::string& text,
                                             const std::string& separators) {
    std::vector<int> fields;
    char separator = 0;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find_first_of(separators, start);
        const std::string field = text.substr(start, end == std::string::npos ? end : end - start);
        if (field.empty() || field.size() > 4)
            return std::nullopt;
        int value = 0;
        const auto [stop, error] =
            std::from_chars(field.data(), field.data() + field.size(), value);
        if (error != std::errc() || stop != field.data() + field.size())
            return std::nullopt;
        fields.push_back(value);
        if (end == std::string::npos)
            return fields;
        if (separator != 0 && text[end] != separator)
            return std::nullopt;
        separator = text[end];
        start = end + 1;
    }
}

std::chrono::sys_days daysOf(int year, int month, int day) {
    return std::chrono::sys_days(std::chrono::year(year) / std::chrono::month(unsigned(month)) /
                                 std::chrono::day(unsigned(day)));
}

std::string twoDigits(int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d", value);
    return text;
}

} // namespace

std::optional<CheckDate> parseCheckDate(const std::string& text) {
    const std::string date = trimmed(text);
    const auto fields = numberFields(date, "./-");
    if (!fields || fields->size() != 3)
        return std::nullopt;
    const std::string yearText = date.substr(date.find_last_of("./-") + 1);
    if ((*fields)[0] > 99 || (*fields)[1] > 99 || (yearText.size() != 2 && yearText.size() != 4))
        return std::nullopt;
    CheckDate result{(*fields)[2], (*fields)[1], (*fields)[0]};
    if (yearText.size() == 2)
        result.year += 2000;
    const std::chrono::year_month_day ymd{std::chrono::year(result.year) /
                                          std::chrono::month(unsigned(result.month)) /
                                          std::chrono::day(unsigned(result.day))};
    if (!ymd.ok())
        return std::nullopt;
    return result;
}

std::optional<int> parseCheckTime(const std::string& text) {
    const auto fields = numberFields(trimmed(text), ":.");
    if (!fields || fields->size() < 2 || fields->size() > 3)
        return std::nullopt;
    const int hour = (*fields)[0];
    const int minute = (*fields)[1];
    const int second = fields->size() == 3 ? (*fields)[2] : 0;
    if (hour > 23 || minute > 59 || second > 59)
        return std::nullopt;
    return hour * 3600 + minute * 60 + second;
}

std::string formatCheckDate(const LocalTime& time) {
    return twoDigits(time.day) + "." + twoDigits(time.month) + "." + twoDigits(time.year % 100);
}

std::string formatCheckTime(const LocalTime& time) {
    return twoDigits(time.hour) + ":" + twoDigits(time.minute) + ":" + twoDigits(time.second);
}

bool checkDue(const LocalTime& now, const std::string& dateLine, const std::string& timeLine) {
    const auto last = parseCheckDate(dateLine);
    if (!last)
        throw ScheduleError("LastCheck.ini: \"" + dateLine + "\" is not a date");
    const auto days =
        (daysOf(now.year, now.month, now.day) - daysOf(last->year, last->month, last->day)).count();
    if (days == 0)
        return false;
    if (days != 1)
        return true;
    const auto lastTime = parseCheckTime(timeLine);
    if (!lastTime)
        throw ScheduleError("LastCheck.ini: \"" + timeLine + "\" is not a time");
    // Hours left of yesterday after the last check, as the hour part of 23:59:00 minus it.
    const int hoursLeft = *lastTime <= 86340 ? (86340 - *lastTime) / 3600 : 0;
    return hoursLeft + now.hour + 1 >= 24;
}

} // namespace tw::update
