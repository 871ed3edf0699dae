#include "checker/WebAccess.h"

#include "checker/CheckerFailure.h"
#include "checker/CurlEasy.h"
#include "checker/CurlHeaderList.h"

#include <algorithm>
#include <cctype>

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

// The probe wants the status only: the first byte of a body ends the transfer.
std::size_t stopAtBody(char*, std::size_t, std::size_t, void*) {
    return 0;
}

struct Collected {
    std::string text;
    bool cut = false;
};

std::size_t collect(char* data, std::size_t size, std::size_t count, void* target) {
    auto* collected = static_cast<Collected*>(target);
    const std::size_t bytes = size * count;
    for (std::size_t i = 0; i < bytes; ++i) {
        if (collected->text.size() >= MaxContentBytes) {
            collected->cut = true;
            return 0;
        }
        if (data[i] != '\0')
            collected->text.push_back(data[i]);
    }
    return bytes;
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
        CurlEasy curl;
        CurlHeaderList headers;
        noCacheHeaders(headers);
        const std::string url = withScheme(address);
        prepare(curl.get(), url, ProbeAgent, headers, timeouts);
        curl_easy_setopt(curl.get(), CURLOPT_FOLLOWLOCATION, 0L);
        curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, stopAtBody);
        const CURLcode result = curl_easy_perform(curl.get());
        if (result != CURLE_OK && result != CURLE_WRITE_ERROR)
            return false;
        long status = 0;
        if (curl_easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, &status) != CURLE_OK)
            return false;
        return status == 200 || status == 302;
    } catch (const CheckerFailure&) {
        // No handle: the probe answers no.
        return false;
    }
}

std::string contentFetch(const std::string& address, const Timeouts& timeouts) {
    CurlEasy curl;
    CurlHeaderList headers;
    noCacheHeaders(headers);
    prepare(curl.get(), withScheme(address), FetchAgent, headers, timeouts);
    curl_easy_setopt(curl.get(), CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl.get(), CURLOPT_MAXREDIRS, 5L);
    // An error page is not a version file.
    curl_easy_setopt(curl.get(), CURLOPT_FAILONERROR, 1L);
    Collected collected;
    curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, collect);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, &collected);
    const CURLcode result = curl_easy_perform(curl.get());
    if (result != CURLE_OK && !(result == CURLE_WRITE_ERROR && collected.cut)) {
        std::string text(OpenFailureText);
        text.replace(text.find("%s"), 2, address);
        throw CheckerFailure(text);
    }
    return std::move(collected.text);
}

} // namespace tw::checker
