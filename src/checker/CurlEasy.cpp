#include "checker/CurlEasy.h"

#include "checker/CheckerFailure.h"
#include "checker/WebAccess.h"

#include <curl/curl.h>

namespace tw::checker {

CurlEasy::CurlEasy()
    : m_handle(curl_easy_init()) {
    if (m_handle == nullptr)
        throw CheckerFailure(std::string(InitFailureText));
}

CurlEasy::~CurlEasy() {
    curl_easy_cleanup(m_handle);
}

} // namespace tw::checker
