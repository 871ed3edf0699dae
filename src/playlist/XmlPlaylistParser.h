#pragma once

#include "playlist/PlaylistSource.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tw::playlist {

// A playlist that is not read at all: a hostile or broken XML file.
class PlaylistRefused : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// True when the first bytes of a playlist are XML (after a byte order mark and blanks, a
// "<": an XML declaration, "<?wpl", a comment or a root element), so that it is read as an
// XSPF or a WPL playlist whatever its extension. No M3U or PLS line begins with "<".
bool looksLikeXml(std::string_view head);

// Reads an XSPF playlist (the <location> of each <track>) or a WPL playlist (the src of each
// <media>) from its file in chunks and hands each location out as a playlist line, to be
// resolved by the very rules of an M3U line. Untrusted input: a document type declaration,
// an entity, nesting deeper than kDeepestNesting, a text longer than kLongestText or a file
// larger than kLargestFile is refused with PlaylistRefused, so that memory stays bounded.
class XmlPlaylistParser {
public:
    static constexpr int kDeepestNesting = 64;
    static constexpr std::size_t kLongestText = 1024 * 1024;
    static constexpr std::uint64_t kLargestFile = PlaylistSource::kMaxInMemoryBytes;

    // longestLine: a location longer than that is handed out cut short. Throws
    // platform::FileError when the file cannot be opened.
    XmlPlaylistParser(const PlaylistSource& source, std::size_t longestLine);
    ~XmlPlaylistParser();
    XmlPlaylistParser(const XmlPlaylistParser&) = delete;
    XmlPlaylistParser& operator=(const XmlPlaylistParser&) = delete;

    // The next location as a line: false at the end. Throws PlaylistRefused for a hostile or
    // malformed file, platform::FileError on a read failure.
    bool next(std::string& line, bool& cutShort);

    std::uint64_t bytesConsumed() const;

private:
    struct State;
    std::unique_ptr<State> m_state;
};

// The playlist line of an XSPF location: a file URI stays as written (the line rules decode
// it), any other URI with a scheme too (it names no local file), and a relative location is
// percent-decoded. Empty for an empty location.
std::string lineOfXspfLocation(std::string_view location);

// The playlist line of a WPL media source, a plain path. Empty for an empty source.
std::string lineOfWplSource(std::string_view source);

} // namespace tw::playlist
