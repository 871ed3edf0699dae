#include "playlist/PlaylistReader.h"

#include "platform/FileSystem.h"
#include "playlist/EntryText.h"

#include <array>

namespace tw::playlist {

namespace {

// The text the system sees: "\" is "/", and a run of separators is one.
std::string systemForm(const std::string& path) {
    std::string result;
    result.reserve(path.size());
    for (const char c : path) {
        if (!isSeparator(c))
            result += c;
        else if (result.empty() || result.back() != '/')
            result += '/';
    }
    return result;
}

} // namespace

PlaylistReader::PlaylistReader(const std::string& playlistPath, const std::string& fieldText)
    : m_folder(folderOf(fieldText.empty() ? playlistPath : fieldText)) {
    m_lines.emplace(playlistPath);
}

std::uint64_t PlaylistReader::bytesConsumed() const {
    return m_lines ? m_lines->bytesConsumed() : m_consumed;
}

std::optional<PlaylistEntry> PlaylistReader::next() {
    if (!m_lines)
        return std::nullopt;
    while (m_lines->next(m_line)) {
        if (isHeaderLine(m_line))
            continue;
        PlaylistEntry entry;
        entry.text = entryText(removeFileKey(m_line, m_fileLines));
        // The rules above read the entry as written; from here on it is a path.
        entry.relativePart = platform::Path(relativePartOf(entry.text));
        resolve(entry);
        return entry;
    }
    // Close the file as soon as reading ends.
    m_consumed = m_lines->bytesConsumed();
    m_lines.reset();
    return std::nullopt;
}

// The five candidates, in order: the entry as written, drive + entry, drive + "\" + entry,
// folder + entry, folder + "\" + entry. Paths have no drive here, so the second is the entry
// itself and the third is the entry below the root. A candidate that is still relative is
// taken in the playlist's folder (never in the working directory), so "Rock\a.mp3" is
// looked for first next to the playlist and then below the root, while "\Rock\a.mp3" is
// looked for first below the root and then in the playlist's folder.
void PlaylistReader::resolve(PlaylistEntry& result) const {
    const std::string& entry = result.text;
    if (unusablePath(entry))
        return;
    const std::array<std::string, 5> candidates{entry, m_drive + entry, m_drive + "/" + entry,
                                                m_folder + entry, m_folder + "/" + entry};
    // Candidates that name the same path to the system are looked up once.
    std::array<std::string, 5> tried;
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        const std::string located = locatedIn(m_folder, candidates[i]);
        tried[i] = systemForm(located);
        bool repeated = located.empty();
        for (std::size_t j = 0; j < i && !repeated; ++j)
            repeated = tried[j] == tried[i];
        if (repeated)
            continue;
        if (const std::int64_t size = platform::regularFileSize(located); size >= 0) {
            result.sourcePath = platform::Path(located);
            result.size = size;
            return;
        }
    }
}

} // namespace tw::playlist
