#include "playlist/EntryResolver.h"

#include "platform/FileSystem.h"
#include "playlist/EntryText.h"

#include <cstring>
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

// Appends an entry's text as a path: each backslash is a separator.
void appendAsPath(std::string& out, std::string_view text) {
    const std::size_t from = out.size();
    out += text;
    char* const end = out.data() + out.size();
    for (char* at = out.data() + from;
         (at = static_cast<char*>(std::memchr(at, '\\', static_cast<std::size_t>(end - at))));)
        *at++ = '/';
}

// The text below a folder as a path, with exactly one separator between the two.
std::string pathBelow(std::string_view folder, std::string_view text) {
    while (!text.empty() && isSeparator(text.front()))
        text.remove_prefix(1);
    std::string joined = playlist::joinedBelow(folder, {});
    appendAsPath(joined, text);
    return joined;
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
    const std::string& text = result.text;
    if (unusablePath(text))
        return;
    // Each candidate is built only when the ones before it failed (most entries are found by
    // the first), straight from the text with every "\" a separator, and looked up once
    // however many of them name the same path to the system.
    const auto found = [&result](const std::string& located) {
        const std::int64_t size = platform::regularFileSize(located);
        if (size < 0)
            return false;
        result.sourcePath = platform::Path(located);
        result.size = size;
        return true;
    };
    const bool relative = !isAbsolutePath(text);
    std::string first;
    if (!relative || !m_folder.empty()) {
        first.reserve((relative ? m_folder.size() + 1 : 0) + text.size());
        if (relative) {
            first += m_folder;
            if (!isSeparator(m_folder.back()))
                first += '/';
        }
        appendAsPath(first, text);
        if (found(first))
            return;
    }
    // The second and third looks mostly fail on a folder that is not there at all.
    // An absolute entry below the root is the first candidate once more.
    std::string second;
    if ((relative || !m_drive.empty()) && m_belowDrive.mayHold(text)) {
        second = pathBelow(m_drive.empty() ? "/" : m_drive, text);
        if (!sameToSystem(first, second) && found(second))
            return;
    }
    // A relative entry below the playlist's folder is the first candidate once more.
    if (relative || m_folder.empty() || !m_belowFolder.mayHold(text))
        return;
    const std::string third = pathBelow(m_folder, text);
    if (!sameToSystem(first, third) && !sameToSystem(second, third))
        found(third);
}

} // namespace tw::playlist
