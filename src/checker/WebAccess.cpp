#include "checker/WebAccess.h"

#include "checker/AnswerRules.h"
#include "checker/CheckerFailure.h"
#include "checker/CurlEasy.h"
#include "checker/CurlHeaderList.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <memory>

namespace tw::checker {

namespace {

// Settings shared by both requests: the address, the agent, verified TLS from the system's
// trust store, HTTP(S) only, no cached copy, the time limits. The proxy comes from the
// usual environment (http_proxy, https_proxy), as a system-wide setting would.
void prepare(CURL* curl, const std::string& url, std::string_view agent,
             const CurlHeaderList& headers, const Timeouts& timeouts) {
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_USERAGENT, std::string(agent).c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(curl, CURLOPT_FRESH_CONNECT, 1L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT,
                     std::min(timeouts.connectSeconds, timeouts.totalSeconds));
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, timeouts.totalSeconds);
}

void noCacheHeaders(CurlHeaderList& headers) {
    headers.append("Cache-Control: no-cache");
    headers.append("Pragma: no-cache");
}

// One connection's address, judged before the request goes out: the first address of a
// chain decides whether internal addresses are fair game for the rest of it.
struct AddressGuard {
    bool firstSeen = false;
    bool internalAllowed = false;
};

int checkAddress(void* target, char* primaryIp, char*, int, int) {
    auto* guard = static_cast<AddressGuard*>(target);
    const bool internal = isInternalAddress(primaryIp == nullptr ? "" : primaryIp);
    if (!guard->firstSeen) {
        guard->firstSeen = true;
        guard->internalAllowed = internal;
        return CURL_PREREQFUNC_OK;
    }
    return internal && !guard->internalAllowed ? CURL_PREREQFUNC_ABORT : CURL_PREREQFUNC_OK;
}

struct Collected {
    bool wanted = true; // false: the first byte of a body ends the transfer
    std::string text;
    std::size_t received = 0;
    bool tooLong = false;
};

std::size_t collect(char* data, std::size_t size, std::size_t count, void* target) {
    auto* collected = static_cast<Collected*>(target);
    const std::size_t bytes = size * count;
    if (!collected->wanted)
        return 0;
    collected->received += bytes;
    if (collected->received > MaxContentBytes) {
        collected->tooLong = true;
        return 0;
    }
    for (std::size_t i = 0; i < bytes; ++i) {
        if (data[i] != '\0')
            collected->text.push_back(data[i]);
    }
    return bytes;
}

// The host part of an address, as libcurl reads it; empty when it has none.
std::string hostOf(const char* address) {
    const std::unique_ptr<CURLU, decltype(&curl_url_cleanup)> parts(curl_url(), &curl_url_cleanup);
    if (!parts || curl_url_set(parts.get(), CURLUPART_URL, address, 0) != CURLUE_OK)
        return {};
    char* text = nullptr;
    if (curl_url_get(parts.get(), CURLUPART_HOST, &text, 0) != CURLUE_OK || text == nullptr)
        return {};
    const std::unique_ptr<char, decltype(&curl_free)> host(text, &curl_free);
    return host.get();
}

bool isRedirect(long status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// What one address answered at the end of its chain of redirects.
struct Answer {
    bool reached = false; // false: no answer, or a redirect that may not be followed
    long status = 0;
    std::string contentType;
    Collected body;
};

// Asks the address, following redirects by the rules; wantBody false stops each answer at
// its headers.
Answer ask(const std::string& address, std::string_view agent, const Timeouts& timeouts,
           bool wantBody) {
    AddressGuard guard;
    std::string url = withScheme(address);
    Answer answer;
    // The time limit holds for the whole chain, not for each of its hops.
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::seconds(timeouts.totalSeconds);
    for (int redirects = 0;; ++redirects) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0)
            return {};
        CurlEasy curl;
        CurlHeaderList headers;
        noCacheHeaders(headers);
        prepare(curl.get(), url, agent, headers, timeouts);
        curl_easy_setopt(curl.get(), CURLOPT_TIMEOUT_MS, static_cast<long>(left));
        curl_easy_setopt(curl.get(), CURLOPT_FOLLOWLOCATION, 0L);
        curl_easy_setopt(curl.get(), CURLOPT_PREREQFUNCTION, checkAddress);
        curl_easy_setopt(curl.get(), CURLOPT_PREREQDATA, &guard);
        // Refused at once when the server says beforehand that it is too long; the decoded
        // bytes are counted as they come.
        curl_easy_setopt(curl.get(), CURLOPT_MAXFILESIZE_LARGE,
                         static_cast<curl_off_t>(MaxContentBytes));
        curl_easy_setopt(curl.get(), CURLOPT_ACCEPT_ENCODING, "");
        answer.body = Collected{};
        answer.body.wanted = wantBody;
        curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, collect);
        curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, &answer.body);
        const CURLcode result = curl_easy_perform(curl.get());
        const bool stoppedAtBody = result == CURLE_WRITE_ERROR && !wantBody;
        if ((result != CURLE_OK && !stoppedAtBody) || answer.body.tooLong)
            return {};
        if (curl_easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, &answer.status) != CURLE_OK)
            return {};
        if (isRedirect(answer.status)) {
            char* next = nullptr;
            if (redirects >= MaxRedirects ||
                curl_easy_getinfo(curl.get(), CURLINFO_REDIRECT_URL, &next) != CURLE_OK ||
                next == nullptr || !redirectAllowed(url, next))
                return {};
            // Through a proxy the connection shows only the proxy's address: a target that
            // names an internal host outright is judged here as well.
            if (!guard.internalAllowed && namesInternalHost(hostOf(next)))
                return {};
            url = next;
            continue;
        }
        char* type = nullptr;
        if (curl_easy_getinfo(curl.get(), CURLINFO_CONTENT_TYPE, &type) == CURLE_OK &&
            type != nullptr)
            answer.contentType = type;
        answer.reached = true;
        return answer;
    }
}

bool isSchemeChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.';
}

} // namespace

std::string withScheme(const std::string& address) {
    const auto colon = address.find("://");
    if (colon != std::string::npos && colon > 0 &&
        std::isalpha(static_cast<unsigned char>(address[0])) &&
        std::all_of(address.begin(), address.begin() + static_cast<long>(colon), isSchemeChar))
        return address;
    return "http://" + address;
}

bool existenceProbe(const std::string& address, const Timeouts& timeouts) {
    try {
        const Answer answer = ask(address, ProbeAgent, timeouts, false);
        return answer.reached && answer.status == 200;
    } catch (const CheckerFailure&) {
        // No handle: the probe answers no.
        return false;
    }
}

std::string contentFetch(const std::string& address, const Timeouts& timeouts) {
    Answer answer = ask(address, FetchAgent, timeouts, true);
    if (!answer.reached || answer.status != 200 ||
        !isAnnouncement(answer.contentType, answer.body.text)) {
        // Put together around "%s" rather than replaced in place: GCC 12 at -O2 takes the
        // in-place replace for an overlapping copy (-Wrestrict) and the release build fails.
        const auto at = OpenFailureText.find("%s");
        throw CheckerFailure(std::string(OpenFailureText.substr(0, at)) + address +
                             std::string(OpenFailureText.substr(at + 2)));
    }
    return std::move(answer.body.text);
}

} // namespace tw::checker
