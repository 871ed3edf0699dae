#pragma once

#include <stdexcept>
#include <string>

namespace tw::update {

// LastCheck.ini holds a line that is not a date (or, for a check made yesterday, a second
// line that is not a time).
class ScheduleError : public std::runtime_error {
public:
    explicit ScheduleError(const std::string& what)
        : std::runtime_error(what) {}
};

} // namespace tw::update
