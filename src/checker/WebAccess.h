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

// A version file is a few lines; a longer answer is cut here.
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

// Asks whether the address exists: true for the status 200 or 302, false for any other
// status and for any failure (no network, refused, timed out). Redirects are not followed,
// caches are bypassed, the body is not read.
bool existenceProbe(const std::string& address, const Timeouts& timeouts);

// Fetches the text at the address, past any cache, following redirects. Zero bytes are
// dropped; the text is cut at MaxContentBytes. Throws CheckerFailure "Cannot open URL <address>"
// when the address cannot be fetched (no connection, timeout, an error status).
std::string contentFetch(const std::string& address, const Timeouts& timeouts);

} // namespace tw::checker
