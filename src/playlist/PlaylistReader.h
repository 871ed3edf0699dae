#pragma once

#include "platform/Path.h"
#include "text/LineReader.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tw::playlist {

// One entry of a playlist, in file order.
struct PlaylistEntry {
    std::string text;            // entry text after the PLS key removal (decoded UTF-8)
    platform::Path relativePart; // begins with "/"; no "." / ".." components
    platform::Path sourcePath;   // the candidate that exists; empty when missing
    std::int64_t size = -1;      // byte size of the source, as found while resolving
    bool found() const { return !sourcePath.empty(); }
};

// Reads an M3U or PLS playlist (one set of line rules for both) and hands out its entries
// one at a time, resolved against the file system. Only the current line is held in
// memory. The file is opened read-only and closed at the end or when the reader goes.
class PlaylistReader {
public:
    // Opens read-only; throws platform::FileError when it cannot be opened. The field text
    // (the playlist path as shown in the main window) gives the playlist's folder, against
    // which every relative entry is resolved.
    PlaylistReader(const std::string& playlistPath, const std::string& fieldText);

    // Next entry in file order (header lines skipped); nullopt at the end.
    // Throws platform::FileError on a read failure.
    std::optional<PlaylistEntry> next();

    std::uint64_t bytesConsumed() const;

    const std::string& playlistFolder() const { return m_folder; }

private:
    // Sets the entry's source path and size from its text.
    void resolve(PlaylistEntry& entry) const;

    std::optional<text::LineReader> m_lines;
    std::string m_line;
    std::string m_drive; // always empty: paths have no drive here
    std::string m_folder;
    std::uint64_t m_fileLines = 0;
    std::uint64_t m_consumed = 0;
};

// True when the extension (from the last "." of the file name) is exactly ".mp3", compared
// case-sensitively.
bool hasMp3Extension(std::string_view path);

// The text after the last "\" or "/"; a ":" belongs to the name.
std::string fileNameOf(std::string_view path);

// The path without its last component and that component's separator; a root keeps its
// separator ("/a.m3u" gives "/", "C:\a.m3u" gives "C:\"); empty when there is no separator.
std::string folderOf(std::string_view path);

} // namespace tw::playlist
