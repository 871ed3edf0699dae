#include "app/DialogFilter.h"

#include <cstddef>
#include <utility>

namespace tw::app {

namespace {

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end - start));
        if (end == std::string::npos)
            return parts;
        start = end + 1;
    }
}

} // namespace

std::vector<std::string> nameFilters(const std::string& filter) {
    std::vector<std::string> result;
    if (filter.empty())
        return result;
    const auto parts = split(filter, '|');
    for (std::size_t i = 0; i < parts.size(); i += 2) {
        std::string patterns;
        if (i + 1 < parts.size()) {
            for (const auto& pattern : split(parts[i + 1], ';')) {
                if (pattern.empty())
                    continue;
                if (!patterns.empty())
                    patterns += ' ';
                patterns += pattern;
            }
        }
        if (patterns.empty())
            patterns.push_back('*');
        std::string entry = parts[i];
        entry.append(" (").append(patterns).append(")");
        result.push_back(std::move(entry));
    }
    return result;
}

std::vector<std::string> playlistNameFilters(const std::string& filter) {
    const auto parts = split(filter, '|');
    std::vector<std::string> result{parts[0] + " (*.m3u *.m3u8 *.pls *.xspf *.wpl)"};
    if (parts.size() > 2)
        result.push_back(parts[2] + " (*)");
    return result;
}

} // namespace tw::app
