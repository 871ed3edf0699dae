#pragma once

#include <stdexcept>
#include <string>

namespace tw::checker {

// A failure that ends the checker: its text goes to standard error, and the files that
// would have followed are not written.
class CheckerFailure : public std::runtime_error {
public:
    explicit CheckerFailure(const std::string& what)
        : std::runtime_error(what) {}
};

} // namespace tw::checker
