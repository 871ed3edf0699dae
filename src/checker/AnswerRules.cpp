#include "checker/AnswerRules.h"

#include "text/Trim.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <optional>
#include <vector>

namespace tw::checker {

namespace {

std::optional<std::array<std::uint8_t, 4>> parseIpv4(std::string_view text) {
    std::array<std::uint8_t, 4> bytes{};
    for (std::size_t i = 0; i < 4; ++i) {
        const std::size_t dot = i < 3 ? text.find('.') : text.size();
        if (dot == std::string_view::npos || dot == 0 || dot > 3)
            return std::nullopt;
        unsigned value = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + dot, value);
        if (error != std::errc() || end != text.data() + dot || value > 255)
            return std::nullopt;
        bytes[i] = static_cast<std::uint8_t>(value);
        text.remove_prefix(i < 3 ? dot + 1 : dot);
    }
    return bytes;
}

bool internalIpv4(const std::array<std::uint8_t, 4>& a) {
    return a[0] == 0 || a[0] == 10 || a[0] == 127 || (a[0] == 169 && a[1] == 254) ||
           (a[0] == 172 && (a[1] & 0xF0) == 16) || (a[0] == 192 && a[1] == 168) ||
           (a[0] == 100 && (a[1] & 0xC0) == 64);
}

// The sixteen bytes of an IPv6 address in text form ("::1", "fe80::1%eth0",
// "::ffff:127.0.0.1").
std::optional<std::array<std::uint8_t, 16>> parseIpv6(std::string_view text) {
    if (const auto zone = text.find('%'); zone != std::string_view::npos)
        text = text.substr(0, zone);
    std::vector<std::uint16_t> head, tail;
    bool gap = false;
    std::optional<std::array<std::uint8_t, 4>> embedded;
    if (text.starts_with("::")) {
        gap = true;
        text.remove_prefix(2);
    }
    while (!text.empty()) {
        const std::size_t colon = text.find(':');
        const std::string_view group = text.substr(0, colon);
        if (group.find('.') != std::string_view::npos) {
            if (colon != std::string_view::npos)
                return std::nullopt;
            embedded = parseIpv4(group);
            if (!embedded)
                return std::nullopt;
            text = {};
            break;
        }
        if (group.empty() || group.size() > 4)
            return std::nullopt;
        unsigned value = 0;
        const auto [end, error] =
            std::from_chars(group.data(), group.data() + group.size(), value, 16);
        if (error != std::errc() || end != group.data() + group.size())
            return std::nullopt;
        (gap ? tail : head).push_back(static_cast<std::uint16_t>(value));
        if (colon == std::string_view::npos)
            break;
        text.remove_prefix(colon + 1);
        if (text.starts_with(":")) {
            if (gap)
                return std::nullopt;
            gap = true;
            text.remove_prefix(1);
        } else if (text.empty()) {
            return std::nullopt;
        }
    }
    const std::size_t groups = head.size() + tail.size() + (embedded ? 2 : 0);
    if (groups > 8 || (!gap && groups != 8))
        return std::nullopt;
    std::array<std::uint8_t, 16> bytes{};
    std::size_t at = 0;
    for (const auto group : head) {
        bytes[at++] = static_cast<std::uint8_t>(group >> 8);
        bytes[at++] = static_cast<std::uint8_t>(group & 0xFF);
    }
    at = 16 - 2 * tail.size() - (embedded ? 4 : 0);
    for (const auto group : tail) {
        bytes[at++] = static_cast<std::uint8_t>(group >> 8);
        bytes[at++] = static_cast<std::uint8_t>(group & 0xFF);
    }
    if (embedded)
        std::copy(embedded->begin(), embedded->end(), bytes.begin() + 12);
    return bytes;
}

bool internalIpv6(const std::array<std::uint8_t, 16>& a) {
    const bool zeroTo10 = std::all_of(a.begin(), a.begin() + 10, [](auto b) { return b == 0; });
    if (zeroTo10 && a[10] == 0xFF && a[11] == 0xFF)
        return internalIpv4({a[12], a[13], a[14], a[15]}); // mapped IPv4
    if (zeroTo10 && a[10] == 0 && a[11] == 0 && a[12] == 0 && a[13] == 0 && a[14] == 0 &&
        a[15] <= 1)
        return true;                                // :: and ::1
    return (a[0] & 0xFE) == 0xFC ||                 // unique local fc00::/7
           (a[0] == 0xFE && (a[1] & 0xC0) == 0x80); // link-local fe80::/10
}

std::string_view schemeOf(std::string_view address) {
    const auto colon = address.find("://");
    return colon == std::string_view::npos ? std::string_view() : address.substr(0, colon);
}

} // namespace

bool isInternalAddress(std::string_view numericAddress) {
    if (numericAddress.starts_with('[') && numericAddress.ends_with(']'))
        numericAddress = numericAddress.substr(1, numericAddress.size() - 2);
    if (const auto v4 = parseIpv4(numericAddress))
        return internalIpv4(*v4);
    if (const auto v6 = parseIpv6(numericAddress))
        return internalIpv6(*v6);
    return true;
}

bool namesInternalHost(std::string_view host) {
    const std::string name = text::lowerAscii(host);
    if (name == "localhost" || name == "localhost." || name.ends_with(".localhost") ||
        name.ends_with(".localhost."))
        return true;
    std::string_view numeric = name;
    if (numeric.starts_with('[') && numeric.ends_with(']'))
        numeric = numeric.substr(1, numeric.size() - 2);
    if (const auto v4 = parseIpv4(numeric))
        return internalIpv4(*v4);
    if (const auto v6 = parseIpv6(numeric))
        return internalIpv6(*v6);
    return false;
}

bool redirectAllowed(std::string_view from, std::string_view to) {
    const std::string target = text::lowerAscii(schemeOf(to));
    if (target == "https")
        return true;
    return target == "http" && text::lowerAscii(schemeOf(from)) == "http";
}

bool isVersionLine(std::string_view line) {
    line = text::trimmedLine(line);
    if (line.empty() || line.size() > 64)
        return false;
    std::size_t at = 0;
    if (line[0] == 'v' || line[0] == 'V')
        ++at;
    const auto digits = [&line, &at] {
        const std::size_t start = at;
        while (at < line.size() && std::isdigit(static_cast<unsigned char>(line[at])))
            ++at;
        return at > start;
    };
    if (!digits())
        return false;
    int dots = 0;
    while (at + 1 < line.size() && line[at] == '.' &&
           std::isdigit(static_cast<unsigned char>(line[at + 1]))) {
        ++at;
        digits();
        ++dots;
    }
    if (dots == 0)
        return false;
    return std::all_of(line.begin() + static_cast<long>(at), line.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) ||
               std::string_view(".-+_~ ()").find(c) != std::string_view::npos;
    });
}

bool isAnnouncement(std::string_view contentType, std::string_view body) {
    const std::string type =
        text::lowerAscii(text::trimmedLine(contentType.substr(0, contentType.find(';'))));
    if (type == "text/html" || type == "application/xhtml+xml")
        return false;
    if (body.starts_with("\xEF\xBB\xBF"))
        body.remove_prefix(3);
    if (text::trimmedLine(body).starts_with('<'))
        return false;
    // The first line as the new-version window will read it.
    return isVersionLine(body.substr(0, body.find('\n')));
}

} // namespace tw::checker
