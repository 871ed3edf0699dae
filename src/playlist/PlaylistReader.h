#pragma once

#include "platform/Path.h"
#include "playlist/EntryResolver.h"
#include "playlist/PlaylistEntry.h"
#include "playlist/PlaylistSource.h"
#include "playlist/XmlPlaylistParser.h"
#include "text/LineReader.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace tw::playlist {

// Reads an M3U or PLS playlist (one set of line rules for both) and hands out its entries
// one at a time, resolved against the file system. An XSPF or WPL playlist, told by its
// content, gives one line for each location it names, taken by the same rules. Only the current
// line is held in memory, and no more of it than a path can take. A file is opened read-only and
// closed at the end or when the reader goes.
class PlaylistReader {
public:
    // The longest line taken as an entry; a longer one is one missing entry.
    static constexpr std::size_t kLongestEntryLine = 16 * 1024;

    // Opens read-only; throws platform::FileError when it cannot be opened. The field text
    // (the playlist path as shown in the main window) gives the playlist's folder, against
    // which every relative entry is resolved, and its drive: the mount point of the file
    // system holding it, against which root-relative entries ("\Music\a.mp3") are
    // resolved (empty on the root file system).
    PlaylistReader(const PlaylistSource& source, const std::string& fieldText);

    // Next entry in file order (empty, comment and header lines skipped); nullopt at the end.
    // Throws platform::FileError on a read failure, PlaylistRefused for a hostile XML file.
    std::optional<PlaylistEntry> next();

    // Reads one line: false at the end; otherwise entry holds the line's entry, or nothing
    // for an empty, comment or header line.
    bool readLine(std::optional<PlaylistEntry>& entry);

    // The "#EXTINF" line last read (UTF-8, as for entries); empty when the last line read
    // was anything else.
    std::string extinfLine() const;

    std::uint64_t bytesConsumed() const;
    std::uint64_t linesRead() const { return m_linesRead; }

    const std::string& playlistFolder() const { return m_resolver.folder(); }
    const std::string& playlistDrive() const { return m_resolver.drive(); }

    // How this reader turns lines into entries.
    const EntryResolver& resolver() const { return m_resolver; }

    // Reads one line as it is, for a caller that resolves it itself (resolver()): false at
    // the end. cutShort tells that the line was longer than kLongestEntryLine.
    bool readRawLine(std::string& line, bool& cutShort);

private:
    PlaylistSource m_source; // keeps bytes read into memory alive
    std::optional<text::LineReader> m_lines;
    std::unique_ptr<XmlPlaylistParser> m_xml;
    std::string m_line;
    EntryResolver m_resolver;
    std::uint64_t m_linesRead = 0;
    std::uint64_t m_consumed = 0;
};

// Whole kilobytes of a file of that many bytes, rounded up: 1 to 1,024 bytes are 1 KB, so a
// playlist of many small files is never counted as taking no room.
std::int64_t kilobytesOf(std::int64_t bytes);

// True when the extension (from the last "." of the file name) is exactly ".mp3", compared
// case-sensitively.
bool hasMp3Extension(std::string_view path);

// The text after the last "\" or "/"; a ":" belongs to the name.
std::string fileNameOf(std::string_view path);

// The path without its last component and that component's separator; a root keeps its
// separator ("/a.m3u" gives "/", "C:\a.m3u" gives "C:\"); empty when there is no separator.
std::string folderOf(std::string_view path);

} // namespace tw::playlist
