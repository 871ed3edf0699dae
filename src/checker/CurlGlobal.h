#pragma once

namespace tw::checker {

// libcurl's process-wide set-up, undone when the object goes. One per program, made before
// any transfer handle.
class CurlGlobal {
public:
    // Throws CheckerFailure ("Unable to initialize Wininet") when libcurl cannot start.
    CurlGlobal();
    ~CurlGlobal();
    CurlGlobal(const CurlGlobal&) = delete;
    CurlGlobal& operator=(const CurlGlobal&) = delete;
};

} // namespace tw::checker
