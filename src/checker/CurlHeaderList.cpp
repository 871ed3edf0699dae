#include "checker/CurlHeaderList.h"

#include <curl/curl.h>

#include <new>

namespace tw::checker {

CurlHeaderList::~CurlHeaderList() {
    curl_slist_free_all(m_list);
}

void CurlHeaderList::append(const std::string& header) {
    curl_slist* grown = curl_slist_append(m_list, header.c_str());
    if (grown == nullptr)
        throw std::bad_alloc();
    m_list = grown;
}

} // namespace tw::checker
