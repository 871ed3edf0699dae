#include "copy/DestinationPlaylist.h"

#include "copy/DeviceNames.h"

#include <cstdint>
#include <utility>

namespace tw::copy {

DestinationPlaylist::DestinationPlaylist(platform::Path destination)
    : m_destination(std::move(destination)) {}

std::size_t DestinationPlaylist::addEntry(std::string extinf) {
    m_lines.push_back({std::move(extinf), {}});
    return m_lines.size() - 1;
}

namespace {

// A line break or another control character in a name would end or garble its line.
bool listable(const std::string& path) {
    for (const char c : path)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            return false;
    return true;
}

// The bytes the entry takes in the playlist, "#EXTINF" line included.
std::uint64_t lineBytes(const std::string& extinf, const std::string& path) {
    if (path.empty() || !listable(path))
        return 0;
    return (extinf.empty() ? 0 : extinf.size() + 2) + (path[0] == '#' ? 2 : 0) + path.size() + 2;
}

} // namespace

void DestinationPlaylist::place(std::size_t slot, const platform::Path& target) {
    const std::string& folder = m_destination.str();
    const std::string& path = target.str();
    std::string relative = path;
    if (folder == "/")
        relative = path.substr(1);
    else if (path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
             path[folder.size()] == '/')
        relative = path.substr(folder.size() + 1);
    Line& line = m_lines.at(slot);
    m_bytes -= lineBytes(line.extinf, line.path);
    line.path = std::move(relative);
    m_bytes += lineBytes(line.extinf, line.path);
}

std::uint64_t DestinationPlaylist::bytes() const {
    return headerBytes + m_bytes;
}

std::uint64_t DestinationPlaylist::bytesWith(std::size_t slot, const platform::Path& target) const {
    return bytes() + lineBytes(m_lines.at(slot).extinf, target.str());
}

std::vector<std::string> DestinationPlaylist::unlisted() const {
    std::vector<std::string> paths;
    for (const Line& line : m_lines)
        if (!line.path.empty() && !listable(line.path))
            paths.push_back(line.path);
    return paths;
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
        if (line.path.empty() || !listable(line.path))
            continue;
        if (!line.extinf.empty())
            out += line.extinf + "\r\n";
        // A line that begins with "#" is a comment to every player: the path is spelt so
        // that it does not.
        if (line.path[0] == '#')
            out += "./";
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
