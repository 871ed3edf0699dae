#include "playlist/PlaylistReader.h"

#include "platform/Drives.h"
#include "platform/FileSystem.h"
#include "playlist/EntryText.h"
#include "text/Encoding.h"

namespace tw::playlist {

namespace {

// The drive of a playlist is the mount point of the file system holding it; the root file
// system has none.
std::string driveOf(const std::string& playlistPath) {
    std::string mountPoint = platform::mountPointOf(playlistPath);
    return mountPoint == "/" ? std::string() : mountPoint;
}

// Enough of the start to tell XML from lines after a byte order mark and blank lines.
constexpr std::size_t kHeadBytes = 4096;

} // namespace

PlaylistReader::PlaylistReader(const PlaylistSource& source, const std::string& fieldText)
    : m_source(source)
    , m_resolver(driveOf(fieldText.empty() ? source.path() : fieldText),
                 folderOf(fieldText.empty() ? source.path() : fieldText)) {
    if (looksLikeXml(m_source.head(kHeadBytes)))
        m_xml = std::make_unique<XmlPlaylistParser>(m_source, kLongestEntryLine);
    else
        m_lines.emplace(m_source.lines({.maxLineBytes = kLongestEntryLine}));
}

std::uint64_t PlaylistReader::bytesConsumed() const {
    if (m_xml)
        return m_xml->bytesConsumed();
    return m_lines ? m_lines->bytesConsumed() : m_consumed;
}

bool PlaylistReader::readRawLine(std::string& line, bool& cutShort) {
    if (m_xml) {
        cutShort = false;
        if (!m_xml->next(line, cutShort))
            return false;
        ++m_linesRead;
        return true;
    }
    if (!m_lines)
        return false;
    if (!m_lines->next(line)) {
        // Close the file as soon as reading ends.
        m_consumed = m_lines->bytesConsumed();
        m_lines.reset();
        return false;
    }
    ++m_linesRead;
    cutShort = m_lines->lastLineCut();
    return true;
}

bool PlaylistReader::readLine(std::optional<PlaylistEntry>& entry) {
    entry.reset();
    bool cutShort = false;
    if (!readRawLine(m_line, cutShort))
        return false;
    entry = m_resolver.entryOf(m_line, cutShort);
    return true;
}

std::string PlaylistReader::extinfLine() const {
    constexpr std::string_view tag = "#EXTINF";
    if (!m_lines || m_lines->lastLineCut() || m_line.compare(0, tag.size(), tag) != 0)
        return {};
    return text::decodeLine(m_line);
}

std::optional<PlaylistEntry> PlaylistReader::next() {
    std::optional<PlaylistEntry> entry;
    while (readLine(entry)) {
        if (entry)
            return entry;
    }
    return std::nullopt;
}

} // namespace tw::playlist
