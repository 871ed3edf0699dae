#pragma once

#include <string>
#include <vector>

namespace tw::app {

// Turns an open-dialog filter written as "description|patterns|description|patterns"
// (patterns separated by ";") into the name filters of a Qt file dialog:
// "description (pattern pattern)". A description without patterns matches every file.
std::vector<std::string> nameFilters(const std::string& filter);

// The open dialog's name filters from the table's filter: only its two descriptions are
// taken; the patterns are the program's own, the playlist types it reads
// ("description (*.m3u *.m3u8 *.pls *.xspf *.wpl)") and every file ("description (*)").
// A filter with one description gives the playlist entry alone.
std::vector<std::string> playlistNameFilters(const std::string& filter);

} // namespace tw::app
