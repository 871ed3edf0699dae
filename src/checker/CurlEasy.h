#pragma once

#include <curl/curl.h>

namespace tw::checker {

// One libcurl transfer handle, cleaned up when the object goes.
class CurlEasy {
public:
    // Throws CheckerFailure ("Unable to initialize Wininet") when no handle can be made.
    CurlEasy();
    ~CurlEasy();
    CurlEasy(const CurlEasy&) = delete;
    CurlEasy& operator=(const CurlEasy&) = delete;

    CURL* get() const { return m_handle; }

private:
    CURL* m_handle = nullptr;
};

} // namespace tw::checker
