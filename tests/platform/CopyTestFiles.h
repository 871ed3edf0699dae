#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace tw::test {

// Bytes that differ from one position to the next, so that a shifted or partly copied file
// never compares equal to the original.
std::string patternBytes(std::size_t size, unsigned seed);

// Names of every entry of a folder, hidden ones included, sorted.
std::vector<std::string> folderEntries(const std::string& folder);

} // namespace tw::test
