#include "checker/CurlGlobal.h"

#include "checker/CheckerFailure.h"
#include "checker/WebAccess.h"

#include <curl/curl.h>

namespace tw::checker {

CurlGlobal::CurlGlobal() {
    if (curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK)
        throw CheckerFailure(std::string(InitFailureText));
}

CurlGlobal::~CurlGlobal() {
    curl_global_cleanup();
}

} // namespace tw::checker
