#include "about/MhtArchive.h"

#include "text/Trim.h"

#include "platform/File.h"
#include "platform/FileSystem.h"
#include "text/Encoding.h"

#include <algorithm>
#include <cctype>
#include <map>

namespace tw::about {

namespace {

// Nested multiparts deeper than this are not followed.
constexpr int maxDepth = 4;

// The line starting at pos, without its ending; next is where the following line starts.
std::string_view lineAt(std::string_view bytes, std::size_t pos, std::size_t& next) {
    const std::size_t end = bytes.find('\n', pos);
    if (end == std::string_view::npos) {
        next = bytes.size();
        return bytes.substr(pos);
    }
    next = end + 1;
    std::string_view line = bytes.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    return line;
}

using Headers = std::map<std::string, std::string>;

// Splits an entity into its headers (names in lower case, folded lines joined) and body.
Headers readHeaders(std::string_view entity, std::string_view& body) {
    Headers headers;
    std::string name;
    std::size_t pos = 0;
    while (pos < entity.size()) {
        std::size_t next = 0;
        const std::string_view line = lineAt(entity, pos, next);
        pos = next;
        if (line.empty()) {
            body = entity.substr(pos);
            return headers;
        }
        if ((line.front() == ' ' || line.front() == '\t') && !name.empty()) {
            headers[name] += ' ';
            headers[name] += text::trimmedLine(line);
            continue;
        }
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos) {
            name.clear();
            continue;
        }
        name = text::lowerAscii(text::trimmedLine(line.substr(0, colon)));
        // The first occurrence counts.
        headers.try_emplace(name, std::string(text::trimmedLine(line.substr(colon + 1))));
    }
    body = {};
    return headers;
}

struct ContentType {
    std::string type; // lower case
    std::map<std::string, std::string> parameters;
};

// "multipart/related; boundary=\"x\"; type=text/html": quoted values may hold ";" and
// backslash escapes.
ContentType parseContentType(std::string_view value) {
    ContentType result;
    std::vector<std::string> pieces(1);
    bool quoted = false;
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (quoted && c == '\\' && i + 1 < value.size()) {
            pieces.back() += value[++i];
        } else if (c == '"') {
            quoted = !quoted;
            pieces.back() += c;
        } else if (c == ';' && !quoted) {
            pieces.emplace_back();
        } else {
            pieces.back() += c;
        }
    }
    result.type = text::lowerAscii(text::trimmedLine(pieces.front()));
    for (std::size_t i = 1; i < pieces.size(); ++i) {
        const std::string_view piece = text::trimmedLine(pieces[i]);
        const std::size_t equals = piece.find('=');
        if (equals == std::string_view::npos)
            continue;
        std::string_view parameter = text::trimmedLine(piece.substr(equals + 1));
        if (parameter.size() >= 2 && parameter.front() == '"' && parameter.back() == '"')
            parameter = parameter.substr(1, parameter.size() - 2);
        result.parameters.try_emplace(text::lowerAscii(text::trimmedLine(piece.substr(0, equals))),
                                      std::string(parameter));
    }
    return result;
}

std::string header(const Headers& headers, const std::string& name) {
    const auto found = headers.find(name);
    return found == headers.end() ? std::string() : found->second;
}

std::string withoutAngles(std::string_view id) {
    id = text::trimmedLine(id);
    if (id.size() >= 2 && id.front() == '<' && id.back() == '>')
        id = id.substr(1, id.size() - 2);
    return std::string(id);
}

// The bodies between the delimiter lines "--boundary"; a missing closing delimiter ends the
// last part at the end of the bytes. Empty when no delimiter occurs.
std::vector<std::string_view> splitMultipart(std::string_view body, const std::string& boundary) {
    std::vector<std::string_view> parts;
    const std::string delimiter = "--" + boundary;
    std::size_t partStart = std::string_view::npos;
    std::size_t pos = 0;
    while (pos < body.size()) {
        std::size_t next = 0;
        const std::string_view line = lineAt(body, pos, next);
        if (line.starts_with(delimiter)) {
            std::string_view rest = line.substr(delimiter.size());
            const bool closing = rest.starts_with("--");
            if (closing)
                rest.remove_prefix(2);
            if (text::trimmedLine(rest).empty()) {
                if (partStart != std::string_view::npos) {
                    // The line break before a delimiter belongs to the delimiter.
                    std::size_t end = pos;
                    if (end > partStart && body[end - 1] == '\n')
                        --end;
                    if (end > partStart && body[end - 1] == '\r')
                        --end;
                    parts.push_back(body.substr(partStart, end - partStart));
                }
                if (closing)
                    return parts;
                partStart = next;
            }
        }
        pos = next;
    }
    if (partStart != std::string_view::npos)
        parts.push_back(body.substr(std::min(partStart, body.size())));
    return parts;
}

// Adds the leaf parts of an entity; false when a multipart in it is broken.
bool collectParts(std::string_view entity, int depth, std::vector<MhtPart>& parts,
                  std::string* start) {
    std::string_view body;
    const Headers headers = readHeaders(entity, body);
    const ContentType type = parseContentType(header(headers, "content-type"));
    if (type.type.starts_with("multipart/")) {
        const auto boundary = type.parameters.find("boundary");
        if (depth >= maxDepth || boundary == type.parameters.end() || boundary->second.empty())
            return false;
        if (start != nullptr) {
            const auto found = type.parameters.find("start");
            if (found != type.parameters.end())
                *start = withoutAngles(found->second);
        }
        const std::vector<std::string_view> bodies = splitMultipart(body, boundary->second);
        if (bodies.empty())
            return false;
        for (const std::string_view part : bodies) {
            if (!collectParts(part, depth + 1, parts, nullptr))
                return false;
        }
        return true;
    }
    MhtPart part;
    part.contentType = type.type.empty() ? "text/plain" : type.type;
    const auto charset = type.parameters.find("charset");
    if (charset != type.parameters.end())
        part.charset = text::lowerAscii(charset->second);
    part.contentLocation = header(headers, "content-location");
    part.contentId = withoutAngles(header(headers, "content-id"));
    const std::string encoding = text::lowerAscii(header(headers, "content-transfer-encoding"));
    if (encoding == "quoted-printable")
        part.body = decodeQuotedPrintable(body);
    else if (encoding == "base64")
        part.body = decodeBase64(body);
    else
        part.body = std::string(body);
    parts.push_back(std::move(part));
    return true;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

std::string latin1ToUtf8(std::string_view bytes) {
    std::string result;
    result.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            result += c;
        } else {
            result += static_cast<char>(0xC0 | (byte >> 6));
            result += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return result;
}

} // namespace

std::string decodeQuotedPrintable(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '=') {
            result += c;
            continue;
        }
        // A soft line break: "=", perhaps blanks, then the line end.
        std::size_t j = i + 1;
        while (j < text.size() && (text[j] == ' ' || text[j] == '\t'))
            ++j;
        if (j < text.size() && (text[j] == '\n' || text[j] == '\r')) {
            if (text[j] == '\r' && j + 1 < text.size() && text[j + 1] == '\n')
                ++j;
            i = j;
            continue;
        }
        if (j == text.size()) {
            i = j;
            continue;
        }
        if (i + 2 < text.size() && hexValue(text[i + 1]) >= 0 && hexValue(text[i + 2]) >= 0) {
            result += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
            i += 2;
            continue;
        }
        result += c;
    }
    return result;
}

std::string decodeBase64(std::string_view text) {
    std::string result;
    result.reserve(text.size() / 4 * 3);
    unsigned bits = 0;
    int count = 0;
    for (const char c : text) {
        int value = -1;
        if (c >= 'A' && c <= 'Z')
            value = c - 'A';
        else if (c >= 'a' && c <= 'z')
            value = c - 'a' + 26;
        else if (c >= '0' && c <= '9')
            value = c - '0' + 52;
        else if (c == '+')
            value = 62;
        else if (c == '/')
            value = 63;
        else if (c == '=')
            break;
        if (value < 0)
            continue;
        bits = (bits << 6) | static_cast<unsigned>(value);
        count += 6;
        if (count >= 8) {
            count -= 8;
            result += static_cast<char>((bits >> count) & 0xFF);
        }
    }
    return result;
}

std::optional<MhtArchive> MhtArchive::parse(std::string_view bytes) {
    MhtArchive archive;
    std::string start;
    if (!collectParts(bytes, 0, archive.m_parts, &start))
        return std::nullopt;
    const auto isPage = [&](const MhtPart& part) {
        return start.empty() ? part.contentType == "text/html" : part.contentId == start;
    };
    auto page = std::find_if(archive.m_parts.begin(), archive.m_parts.end(), isPage);
    if (page == archive.m_parts.end() && !start.empty()) {
        start.clear();
        page = std::find_if(archive.m_parts.begin(), archive.m_parts.end(), isPage);
    }
    if (page == archive.m_parts.end() || page->contentType != "text/html")
        return std::nullopt;
    archive.m_page = static_cast<std::size_t>(page - archive.m_parts.begin());
    return archive;
}

std::optional<MhtArchive> MhtArchive::readFile(const std::string& path) {
    // Only a regular file of sensible size is opened: never a pipe, device or huge file.
    const std::int64_t size = platform::regularFileSize(path);
    if (size < 0 || static_cast<std::uint64_t>(size) > maxFileBytes)
        return std::nullopt;
    std::string bytes;
    try {
        platform::InputFile file(path);
        char buffer[65536];
        while (bytes.size() <= maxFileBytes) {
            const std::size_t got = file.read(buffer, sizeof buffer);
            if (got == 0)
                break;
            bytes.append(buffer, got);
        }
    } catch (const std::exception&) {
        return std::nullopt;
    }
    if (bytes.size() > maxFileBytes)
        return std::nullopt;
    return parse(bytes);
}

std::string MhtArchive::pageHtml() const {
    std::string_view html = page().body;
    const std::string& charset = page().charset;
    std::string result;
    if (charset == "windows-1251" || charset == "cp1251")
        result = text::cp1251ToUtf8(html);
    else if (charset == "iso-8859-1" || charset == "latin1" || charset == "us-ascii")
        result = latin1ToUtf8(html);
    else if (charset == "utf-8" || charset == "utf8" || text::isValidUtf8(html))
        result = std::string(html);
    else
        result = text::cp1251ToUtf8(html);
    if (result.starts_with("\xEF\xBB\xBF"))
        result.erase(0, 3);
    return result;
}

} // namespace tw::about
