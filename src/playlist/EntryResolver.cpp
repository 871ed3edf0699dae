#include "playlist/EntryResolver.h"

#include "platform/FileSystem.h"
#include "playlist/EntryText.h"

#include <array>
#include <utility>

namespace tw::playlist {

namespace {

// Whether two paths are one to the system, to which a run of "/" is one.
bool sameToSystem(std::string_view a, std::string_view b) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i] != b[j])
            return false;
        const bool separator = a[i] == '/';
        ++i;
        ++j;
        while (separator && i < a.size() && a[i] == '/')
            ++i;
        while (separator && j < b.size() && b[j] == '/')
            ++j;
    }
    return i == a.size() && j == b.size();
}

} // namespace

EntryResolver::EntryResolver(std::string drive, std::string folder)
    : m_drive(std::move(drive))
    , m_folder(std::move(folder))
    , m_belowDrive(m_drive.empty() ? "/" : m_drive)
    , m_belowFolder(m_folder) {}

std::optional<PlaylistEntry> EntryResolver::entryOf(std::string_view line, bool cutShort,
                                                    bool withRelativePart) const {
    if (isNonEntryLine(line))
        return std::nullopt;
    std::optional<PlaylistEntry> entry;
    PlaylistEntry& result = entry.emplace();
    result.text = entryText(removeFileKey(line));
    // The rules above read the entry as written; from here on it is a path.
    if (withRelativePart)
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
    // Most entries are written with "/" already and need no copy.
    std::string converted;
    if (result.text.find('\\') != std::string::npos)
        converted = platform::Path::fromEntry(result.text).str();
    const std::string& entry = converted.empty() ? result.text : converted;
    // The second and third looks mostly fail on a folder that is not there at all.
    const std::array<FolderProbe*, 3> probes{nullptr, &m_belowDrive, &m_belowFolder};
    // Candidates that name the same path to the system are looked up once. Each is built
    // only when the ones before it failed: most entries are found by the first.
    std::array<std::string, 3> tried;
    for (std::size_t i = 0; i < tried.size(); ++i) {
        if (probes[i] && !probes[i]->mayHold(entry))
            continue;
        std::string& located = tried[i];
        if (i == 0)
            located = locatedIn(m_folder, entry);
        else if (i == 1)
            located = joinedBelow(m_drive.empty() ? "/" : m_drive, entry);
        else if (!m_folder.empty())
            located = joinedBelow(m_folder, entry);
        bool repeated = located.empty();
        for (std::size_t j = 0; j < i && !repeated; ++j)
            repeated = sameToSystem(tried[j], located);
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
