#pragma once

#include <string>
#include <string_view>

// What the checker accepts from the web: where a redirect may lead and what an announcement
// looks like. Plain rules on text, without the network.
namespace tw::checker {

// Redirects followed at most, for the probe and the fetch alike.
inline constexpr int MaxRedirects = 3;

// True for an address that names this machine or a local network rather than the internet:
// loopback (127.0.0.0/8, ::1), unspecified (0.0.0.0/8, ::), private (10/8, 172.16/12,
// 192.168/16, fc00::/7), shared (100.64/10), link-local (169.254/16, fe80::/10), and any of
// these mapped into IPv6 (::ffff:a.b.c.d). The text is a numeric IPv4 or IPv6 address, as a
// connection reports it; anything else (a host name, an empty text) counts as internal, so
// that an address that cannot be judged is not trusted.
bool isInternalAddress(std::string_view numericAddress);

// True for a host part of an address that names an internal address by itself: "localhost"
// (and names below it) or an internal numeric address ("127.0.0.1", "[::1]"). Other names
// are judged by the address they resolve to, when the connection is made.
bool namesInternalHost(std::string_view host);

// Whether a redirect from one address to another may be followed: to https always, to http
// only from http. Other schemes and addresses that are not absolute are refused.
bool redirectAllowed(std::string_view from, std::string_view to);

// A version line: the number of the new version ("1.2", "1.2.0.lang", "v2.0 beta"): digits
// with at least one dot, then an optional short suffix of letters, digits and ".-+_~ ()".
// Blanks and a line end around it do not count.
bool isVersionLine(std::string_view line);

// Whether an answer can be an announcement: not an HTML page (by its content type or by its
// text beginning with "<"), and its first line a version line. A UTF-8 byte-order mark at
// the start does not count.
bool isAnnouncement(std::string_view contentType, std::string_view body);

} // namespace tw::checker
