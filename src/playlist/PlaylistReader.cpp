#include "playlist/PlaylistReader.h"

#include "platform/Drives.h"
#include "platform/FileSystem.h"
#include "playlist/EntryText.h"
#include "text/Encoding.h"

#include <array>

namespace tw::playlist {

namespace {

// The text the system sees: a run of "/" is one.
std::string systemForm(const std::string& path) {
    std::string result;
    result.reserve(path.size());
    for (const char c : path) {
        if (c != '/' || result.empty() || result.back() != '/')
            result += c;
    }
    return result;
}

// The drive of a playlist is the mount point of the file system holding it; the root file
// system has none.
std::string driveOf(const std::string& playlistPath) {
    std::string mountPoint = platform::mountPointOf(playlistPath);
    return mountPoint == "/" ? std::string() : mountPoint;
}

} // namespace

PlaylistReader::PlaylistReader(const PlaylistSource& source, const std::string& fieldText)
    : m_source(source)
    , m_drive(driveOf(fieldText.empty() ? source.path() : fieldText))
    , m_folder(folderOf(fieldText.empty() ? source.path() : fieldText))
    , m_belowDrive(m_drive.empty() ? "/" : m_drive)
    , m_belowFolder(m_folder) {
    m_lines.emplace(m_source.lines({.maxLineBytes = kLongestEntryLine}));
}

std::uint64_t PlaylistReader::bytesConsumed() const {
    return m_lines ? m_lines->bytesConsumed() : m_consumed;
}

bool PlaylistReader::readLine(std::optional<PlaylistEntry>& entry) {
    entry.reset();
    if (!m_lines)
        return false;
    if (!m_lines->next(m_line)) {
        // Close the file as soon as reading ends.
        m_consumed = m_lines->bytesConsumed();
        m_lines.reset();
        return false;
    }
    ++m_linesRead;
    if (isNonEntryLine(m_line))
        return true;
    PlaylistEntry& result = entry.emplace();
    result.text = entryText(removeFileKey(m_line));
    // The rules above read the entry as written; from here on it is a path.
    result.relativePart = platform::Path::fromEntry(relativePartOf(result.text));
    // A line too long to be a path names no file.
    if (!m_lines->lastLineCut())
        resolve(result);
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

// The candidates, in order: the entry as written, the entry below the playlist's drive, the
// entry below the playlist's folder; each joined with one separator. A candidate that is
// still relative is taken in the playlist's folder (never in the working directory), so
// "Rock\a.mp3" is looked for first next to the playlist and then below the drive, while
// "\Rock\a.mp3" is looked for as written, then below the drive, then in the playlist's
// folder.
void PlaylistReader::resolve(PlaylistEntry& result) {
    if (unusablePath(result.text))
        return;
    const std::string entry = platform::Path::fromEntry(result.text).str();
    const std::array<std::string, 3> candidates{
        locatedIn(m_folder, entry), joinedBelow(m_drive.empty() ? "/" : m_drive, entry),
        m_folder.empty() ? std::string() : joinedBelow(m_folder, entry)};
    // The second and third looks mostly fail on a folder that is not there at all.
    const std::array<FolderProbe*, 3> probes{nullptr, &m_belowDrive, &m_belowFolder};
    // Candidates that name the same path to the system are looked up once.
    std::array<std::string, 3> tried;
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        const std::string& located = candidates[i];
        tried[i] = systemForm(located);
        bool repeated = located.empty();
        for (std::size_t j = 0; j < i && !repeated; ++j)
            repeated = tried[j] == tried[i];
        if (repeated || (probes[i] && !probes[i]->mayHold(entry)))
            continue;
        if (const std::int64_t size = platform::regularFileSize(located); size >= 0) {
            result.sourcePath = platform::Path(located);
            result.size = size;
            return;
        }
    }
}

} // namespace tw::playlist
