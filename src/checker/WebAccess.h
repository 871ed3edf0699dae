#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The checker's two requests to the web site.
namespace tw::checker {

inline constexpr std::string_view InitFailureText = "Unable to initialize Wininet";
// The fetch's failure text: "%s" is the address.
inline constexpr std::string_view OpenFailureText = "Cannot open URL %s";
inline constexpr std::string_view ProbeAgent = "InetURL:/1.0";
inline constexpr std::string_view FetchAgent = "Freshpoll/1.1";

// A version file is a few lines; a longer answer (counted after decompression) is refused.
inline constexpr std::size_t MaxContentBytes = 1024 * 1024;

// How long a request may take. A server that accepts the connection and never answers
// must not keep the checker, and the main program polling for it, waiting for ever.
struct Timeouts {
    long connectSeconds = 15;
    long totalSeconds = 30;
};

// The address as requested: "http://" in front when it names no scheme ("site/x.txt"),
// unchanged when it does ("https://site/x.txt", "HTTP://site/x.txt").
std::string withScheme(const std::string& address);

// Both requests follow redirects by the same rules, within the one time limit: at most
// MaxRedirects, only to https or from http to http, and never to a loopback, link-local or
// private address unless the first address asked was one itself. Caches are bypassed.

// Asks whether the address exists: true when it answers 200, at once or after allowed
// redirects; false for any other status, a redirect that is not allowed, and any failure
// (no network, refused, timed out). The body is not read.
bool existenceProbe(const std::string& address, const Timeouts& timeouts);

// Fetches the announcement at the address, decompressed when the server compressed it. Zero
// bytes are dropped. Throws CheckerFailure "Cannot open URL <address>" when the address
// cannot be fetched (no connection, timeout, an error status, a redirect that is not
// allowed) and when the answer is no announcement: an HTML page, a text whose first line is
// not a version line, or more than MaxContentBytes.
std::string contentFetch(const std::string& address, const Timeouts& timeouts);

} // namespace tw::checker
