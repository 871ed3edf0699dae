#include "platform/Path.h"

#include <filesystem>
#include <ostream>

namespace tw::platform {

Path Path::fromEntry(std::string_view entryText) {
    Path path(entryText);
    for (char& c : path.m_text) {
        if (c == '\\')
            c = '/';
    }
    return path;
}

std::string Path::fileName() const {
    const std::size_t last = m_text.rfind('/');
    return last == std::string::npos ? m_text : m_text.substr(last + 1);
}

Path Path::folder() const {
    const std::size_t last = m_text.rfind('/');
    Path result;
    if (last != std::string::npos)
        result.m_text = m_text.substr(0, last == 0 ? 1 : last);
    return result;
}

Path operator/(const Path& folder, const Path& part) {
    if (folder.empty())
        return part;
    std::string_view head = folder.m_text;
    std::string_view tail = part.m_text;
    while (!head.empty() && head.back() == '/')
        head.remove_suffix(1);
    while (!tail.empty() && tail.front() == '/')
        tail.remove_prefix(1);
    Path result;
    result.m_text.reserve(head.size() + 1 + tail.size());
    result.m_text += head;
    result.m_text += '/';
    result.m_text += tail;
    return result;
}

std::ostream& operator<<(std::ostream& out, const Path& path) {
    return out << path.str();
}

Path absolutePath(const Path& path, const Path& base) {
    std::filesystem::path p(path.str());
    if (p.is_relative())
        p = std::filesystem::path(base.str()) / p;
    std::string text = p.lexically_normal().string();
    while (text.size() > 1 && text.back() == '/')
        text.pop_back();
    return Path(text);
}

} // namespace tw::platform
