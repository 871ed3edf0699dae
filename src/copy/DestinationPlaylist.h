#pragma once

#include "platform/Path.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tw::copy {

// The playlist a run leaves in the destination folder: one line for each entry whose file is
// on the destination after the run, in playlist order, as a path relative to the destination
// with "/", preceded by the "#EXTINF" line that stood before the entry in the source.
class DestinationPlaylist {
public:
    explicit DestinationPlaylist(platform::Path destination);

    // Makes room for the next entry of the playlist; returns its slot.
    std::size_t addEntry(std::string extinf);
    // The entry of that slot is on the destination as target (below the destination).
    void place(std::size_t slot, const platform::Path& target);
    // True when a placed entry is the file of that name in the destination folder (letter
    // case ignored when the destination folds it).
    bool placedAs(const std::string& fileName, bool foldsCase) const;

    // "#EXTM3U", then the placed entries; lines end with CR LF, which every player reads. A
    // path beginning with "#" is written "./#..."; one holding a control character (a line
    // break among them) is left out.
    std::string text() const;
    // The paths placed but left out of text(), for the report.
    std::vector<std::string> unlisted() const;

    // The size of text(), and what it would be with the slot placed as target.
    std::uint64_t bytes() const;
    std::uint64_t bytesWith(std::size_t slot, const platform::Path& target) const;

private:
    struct Line {
        std::string extinf;
        std::string path; // empty while the entry is not on the destination
    };
    static constexpr std::uint64_t headerBytes = 9; // "#EXTM3U" CR LF
    platform::Path m_destination;
    std::vector<Line> m_lines;
    std::uint64_t m_bytes = 0; // of the placed lines
};

// The file name the playlist gets when none is given: the source playlist's name without its
// extension, then ".m3u8".
std::string defaultPlaylistName(const platform::Path& sourcePlaylist);

// A name the playlist can take: a plain file name in the destination folder, no separator,
// no "." or "..", no NUL byte.
bool playlistNameAcceptable(const std::string& name);

} // namespace tw::copy
