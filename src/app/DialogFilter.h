#pragma once

#include <string>
#include <vector>

namespace tw::app {

// Turns an open-dialog filter written as "description|patterns|description|patterns"
// (patterns separated by ";") into the name filters of a Qt file dialog:
// "description (pattern pattern)". A description without patterns matches every file.
std::vector<std::string> nameFilters(const std::string& filter);

} // namespace tw::app
