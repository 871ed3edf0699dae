#include "checker/CheckerSettings.h"

#include "checker/CheckerFailure.h"
#include "platform/FileSystem.h"
#include "text/LineReader.h"
#include "text/Trim.h"

#include <charconv>

namespace tw::checker {

namespace {

using text::trimmed;

} // namespace

std::string CheckerSettings::encodedBaseName() const {
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string encoded;
    for (const char c : baseName) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte >= 0x7F || c == '#' || c == '?') {
            encoded += '%';
            encoded += hex[byte >> 4];
            encoded += hex[byte & 0x0F];
        } else {
            encoded += c;
        }
    }
    return encoded;
}

CheckerSettings CheckerSettings::read(const std::string& path) {
    // A pipe in its place would keep the checker waiting for ever.
    if (!platform::fileExists(path) && platform::lastWriteTime(path))
        throw CheckerFailure("cannot read \"" + path + "\": not a regular file");
    text::LineReader reader(path);
    std::string lines[4];
    for (auto& line : lines) {
        if (!reader.next(line))
            break;
    }
    CheckerSettings settings;
    settings.baseName = lines[1];
    if (const std::string base = trimmed(lines[2]); !base.empty())
        settings.siteBase = base.back() == '/' ? base : base + "/";
    if (const std::string limit = trimmed(lines[3]); !limit.empty()) {
        long seconds = 0;
        const auto [end, error] =
            std::from_chars(limit.data(), limit.data() + limit.size(), seconds);
        if (error == std::errc() && end == limit.data() + limit.size() && seconds > 0 &&
            seconds <= 3600)
            settings.timeouts.totalSeconds = seconds;
    }
    return settings;
}

} // namespace tw::checker
