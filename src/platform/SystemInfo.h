#pragma once

#include <string>

namespace tw::platform {

// Login name of the effective user; empty when it cannot be found.
std::string userName();

// Name of this host; empty when it cannot be found.
std::string hostName();

// The kernel release's first three numbers, "major.minor.patch" (missing numbers are 0).
std::string kernelVersion();

// The value of an environment variable; empty when it is unset.
std::string environmentValue(const std::string& name);

} // namespace tw::platform
