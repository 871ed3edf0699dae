#include "copy/DestinationPlaylist.h"

#include "copy/DeviceNames.h"

#include <utility>

namespace tw::copy {

DestinationPlaylist::DestinationPlaylist(platform::Path destination)
    : m_destination(std::move(destination)) {}

std::size_t DestinationPlaylist::addEntry(std::string extinf) {
    m_lines.push_back({std::move(extinf), {}});
    return m_lines.size() - 1;
}

void DestinationPlaylist::place(std::size_t slot, const platform::Path& target) {
    const std::string& folder = m_destination.str();
    const std::string& path = target.str();
    std::string relative = path;
    if (folder == "/")
        relative = path.substr(1);
    else if (path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
             path[folder.size()] == '/')
        relative = path.substr(folder.size() + 1);
    m_lines.at(slot).path = std::move(relative);
}

bool DestinationPlaylist::placedAs(const std::string& fileName, bool foldsCase) const {
    for (const Line& line : m_lines)
        if (line.path == fileName || (foldsCase && sameIgnoringCase(line.path, fileName)))
            return true;
    return false;
}

std::string DestinationPlaylist::text() const {
    std::string out = "#EXTM3U\r\n";
    for (const Line& line : m_lines) {
        if (line.path.empty())
            continue;
        if (!line.extinf.empty())
            out += line.extinf + "\r\n";
        out += line.path + "\r\n";
    }
    return out;
}

std::string defaultPlaylistName(const platform::Path& sourcePlaylist) {
    std::string name = sourcePlaylist.fileName();
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0)
        name.erase(dot);
    return name + ".m3u8";
}

bool playlistNameAcceptable(const std::string& name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of(std::string("/\\\0", 3)) == std::string::npos;
}

} // namespace tw::copy
