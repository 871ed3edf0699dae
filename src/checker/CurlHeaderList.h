#pragma once

#include <string>

struct curl_slist;

namespace tw::checker {

// A list of extra request headers, freed when the object goes.
class CurlHeaderList {
public:
    CurlHeaderList() = default;
    ~CurlHeaderList();
    CurlHeaderList(const CurlHeaderList&) = delete;
    CurlHeaderList& operator=(const CurlHeaderList&) = delete;

    // Throws std::bad_alloc when the header cannot be added.
    void append(const std::string& header);
    curl_slist* get() const { return m_list; }

private:
    curl_slist* m_list = nullptr;
};

} // namespace tw::checker
