#pragma once

#include <cstdint>
#include <string>

namespace tw::platform {

// Byte size of a regular file (or a link to one) found by one directory query; -1 when the
// path is missing or names anything else (a folder, a device). No file is opened.
std::int64_t regularFileSize(const std::string& path);

} // namespace tw::platform
