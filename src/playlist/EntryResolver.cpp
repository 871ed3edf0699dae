#include "playlist/EntryResolver.h"

#include "platform/FileSystem.h"
#include "playlist/EntryText.h"

#include <array>
#include <utility>

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

} // namespace

EntryResolver::EntryResolver(std::string drive, std::string folder)
    : m_drive(std::move(drive))
    , m_folder(std::move(folder))
    , m_belowDrive(m_drive.empty() ? "/" : m_drive)
    , m_belowFolder(m_folder) {}

std::optional<PlaylistEntry> EntryResolver::entryOf(std::string_view line, bool cutShort) const {
    if (isNonEntryLine(line))
        return std::nullopt;
    std::optional<PlaylistEntry> entry;
    PlaylistEntry& result = entry.emplace();
    result.text = entryText(removeFileKey(line));
    // The rules above read the entry as written; from here on it is a path.
    result.relativePart = platform::Path::fromEntry(relativePartOf(result.text));
    // A line too long to be a path names no file.
    if (!cutShort)
        resolve(result);
    return entry;
}

// The candidates, in order: the entry as written, the entry below the playlist's drive, the
// entry below the playlist's folder; each joined with one separator. A candidate that is
// still relative is taken in the playlist's folder (never in the working directory), so
// "Rock\a.mp3" is looked for first next to the playlist and then below the drive, while
// "\Rock\a.mp3" is looked for as written, then below the drive, then in the playlist's
// folder.
void EntryResolver::resolve(PlaylistEntry& result) const {
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
