#pragma once

#include <string>

namespace tw::text {

// The text without the blanks and tabs at either end.
inline std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

} // namespace tw::text
