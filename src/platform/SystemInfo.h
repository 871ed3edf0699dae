#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tw::platform {

// Login name of the effective user; empty when it cannot be found.
std::string userName();

// Name of this host; empty when it cannot be found.
std::string hostName();

// A moment of the local calendar.
struct LocalDateTime {
    int year = 0;
    int month = 0; // 1..12
    int day = 0;   // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// The current local date and time; all zero when the system cannot tell it.
LocalDateTime localDateTimeNow();
// A moment given in seconds since the epoch, in local time; all zero when it cannot be told.
LocalDateTime localDateTimeAt(std::int64_t seconds);

// The process's working folder; empty when it cannot be told.
std::string workingFolder();

// The kernel release's first three numbers, "major.minor.patch" (missing numbers are 0);
// "0.0.0" when the release cannot be read or does not begin with a number.
std::string kernelVersion();

// The first three numbers of a release text: "6.1.0-18-amd64" gives 6, 1, 0 and "5.15" gives
// 5, 15, 0. Numbers are plain decimal digits separated by dots; the first character that
// continues neither ends the numbers, and those missing are 0. Nothing when the text does not
// begin with a digit (a sign or a space included) or a number does not fit in an int.
std::optional<std::array<int, 3>> parseVersionNumbers(std::string_view release);

// How many files the process may hold open at once; 0 when it has no limit.
std::size_t openFileLimit();

// Lets the process hold as many open files as the system allows it (the soft limit of
// RLIMIT_NOFILE raised to the hard one): a copy keeps a group of files open until they are
// flushed together.
void raiseOpenFileLimit();

// A write past the file-size limit (ulimit -f) fails with an error the program handles,
// instead of ending the program with SIGXFSZ half-way through a record or a copy.
void ignoreFileSizeSignal();

// The value of an environment variable; empty when it is unset.
std::string environmentValue(const std::string& name);

} // namespace tw::platform
