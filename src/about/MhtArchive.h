#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tw::about {

// One part of a saved web page: its headers of interest and its decoded bytes.
struct MhtPart {
    std::string contentType;     // lower case, without parameters ("image/png")
    std::string charset;         // lower case; empty when not given
    std::string contentLocation; // as written
    std::string contentId;       // without the angle brackets
    std::string body;            // after quoted-printable or base64 decoding
};

// A saved web page in one file (MIME multipart/related, as browsers write .mht): the page
// and the images it shows.
class MhtArchive {
public:
    // The archive in the bytes, or nothing when they hold no usable page: no headers, a
    // multipart type without a boundary, a boundary that never occurs, no HTML part.
    static std::optional<MhtArchive> parse(std::string_view bytes);

    // Reads and parses a file; nothing when it is missing, not a regular file, larger than
    // maxFileBytes, unreadable or broken.
    static std::optional<MhtArchive> readFile(const std::string& path);

    static constexpr std::size_t maxFileBytes = 4 * 1024 * 1024;

    const std::vector<MhtPart>& parts() const { return m_parts; }

    // The page: the part named by the archive's "start" parameter, otherwise the first
    // text/html part.
    const MhtPart& page() const { return m_parts[m_page]; }

    // The page's text in UTF-8, decoded from its charset (UTF-8, Windows-1251, Latin-1,
    // ASCII; anything else is taken as UTF-8 when valid, otherwise as Windows-1251).
    std::string pageHtml() const;

private:
    std::vector<MhtPart> m_parts;
    std::size_t m_page = 0;
};

// Content-Transfer-Encoding "quoted-printable": "=XX" is a byte, "=" at a line end joins
// lines; a malformed escape is kept as written.
std::string decodeQuotedPrintable(std::string_view text);

// Content-Transfer-Encoding "base64": characters outside the alphabet (line breaks) are
// skipped; decoding stops at the padding.
std::string decodeBase64(std::string_view text);

} // namespace tw::about
