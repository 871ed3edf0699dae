#include "platform/SystemInfo.h"

#include <array>
#include <charconv>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include <pwd.h>
#include <sys/resource.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <ctime>

namespace tw::platform {

LocalDateTime localDateTimeNow() {
    return localDateTimeAt(static_cast<std::int64_t>(std::time(nullptr)));
}

LocalDateTime localDateTimeAt(std::int64_t seconds) {
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm tm{};
    if (::localtime_r(&t, &tm) == nullptr)
        return {};
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

std::string workingFolder() {
    std::error_code ec;
    std::string folder = std::filesystem::current_path(ec).string();
    return ec ? std::string() : folder;
}

std::string userName() {
    const uid_t uid = ::geteuid();
    std::array<char, 4096> buffer{};
    struct passwd pw {};
    struct passwd* result = nullptr;
    if (::getpwuid_r(uid, &pw, buffer.data(), buffer.size(), &result) == 0 && result != nullptr &&
        result->pw_name != nullptr)
        return result->pw_name;
    return {};
}

std::string hostName() {
    std::array<char, 256> buffer{};
    if (::gethostname(buffer.data(), buffer.size() - 1) != 0)
        return {};
    return buffer.data();
}

std::optional<std::array<int, 3>> parseVersionNumbers(std::string_view release) {
    std::array<int, 3> numbers{0, 0, 0};
    const char* p = release.data();
    const char* const end = release.data() + release.size();
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        if (p == end || *p < '0' || *p > '9') {
            if (i == 0)
                return std::nullopt;
            break;
        }
        const auto [next, error] = std::from_chars(p, end, numbers[i]);
        if (error != std::errc())
            return std::nullopt;
        p = next;
        if (p == end || *p != '.')
            break;
        ++p;
    }
    return numbers;
}

std::string kernelVersion() {
    struct utsname info {};
    if (::uname(&info) != 0)
        return "0.0.0";
    const auto numbers = parseVersionNumbers(info.release);
    if (!numbers)
        return "0.0.0";
    return std::to_string((*numbers)[0]) + "." + std::to_string((*numbers)[1]) + "." +
           std::to_string((*numbers)[2]);
}

std::string environmentValue(const std::string& name) {
    const char* value = std::getenv(name.c_str());
    return value ? std::string(value) : std::string();
}

std::size_t openFileLimit() {
    struct rlimit limit {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return 0;
    return static_cast<std::size_t>(limit.rlim_cur);
}

void raiseOpenFileLimit() {
    struct rlimit limit {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == limit.rlim_max)
        return;
    limit.rlim_cur = limit.rlim_max;
    ::setrlimit(RLIMIT_NOFILE, &limit);
}

void ignoreFileSizeSignal() {
    std::signal(SIGXFSZ, SIG_IGN);
}

} // namespace tw::platform
