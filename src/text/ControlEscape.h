#pragma once

#include <string>
#include <string_view>

namespace tw::text {

// The text with every control character written out as \xNN (C1 controls, U+0080 to U+009F,
// as \u00NN), so that text from files and names cannot drive a terminal (colours, cursor
// moves, window titles, erased lines). Line feeds and tabs stay when keepLineBreaks is set.
// Every other byte, invalid UTF-8 included, stays as it is.
std::string escapeControls(std::string_view text, bool keepLineBreaks);

} // namespace tw::text
