#include "playlist/EntryText.h"

#include "text/Encoding.h"

namespace tw::playlist {

namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != prefix[i])
            return false;
    }
    return true;
}

std::size_t leadingDigits(std::string_view text) {
    std::size_t n = 0;
    while (n < text.size() && text[n] >= '0' && text[n] <= '9')
        ++n;
    return n;
}

// "key=" at the start of the line, with digits between the key and "=" when numbered; the
// length of that prefix, or 0.
std::size_t keyPrefix(std::string_view line, std::string_view key, bool numbered) {
    if (!startsWithNoCase(line, key))
        return 0;
    std::size_t pos = key.size();
    if (numbered) {
        const std::size_t digits = leadingDigits(line.substr(pos));
        if (digits == 0)
            return 0;
        pos += digits;
    }
    return pos < line.size() && line[pos] == '=' ? pos + 1 : 0;
}

} // namespace

bool isNonEntryLine(std::string_view line) {
    if (line.empty() || line.front() == '#')
        return true;
    // Most lines are entries: only a line that starts as a header does can be one.
    switch (line.front()) {
    case '[':
        return line.size() == 10 && startsWithNoCase(line, "[playlist]");
    case 'T':
    case 't':
    case 'L':
    case 'l':
    case 'N':
    case 'n':
    case 'V':
    case 'v':
        break;
    default:
        return false;
    }
    return keyPrefix(line, "title", true) != 0 || keyPrefix(line, "length", true) != 0 ||
           keyPrefix(line, "numberofentries", false) != 0 || keyPrefix(line, "version", false) != 0;
}

std::string_view removeFileKey(std::string_view line) {
    return line.substr(keyPrefix(line, "file", true));
}

std::optional<std::string> localPathOfFileUri(std::string_view raw) {
    if (!startsWithNoCase(raw, "file://"))
        return std::nullopt;
    std::string_view rest = raw.substr(7);
    if (startsWithNoCase(rest, "localhost/"))
        rest.remove_prefix(9);
    if (!rest.starts_with('/'))
        return std::nullopt; // another host: not a local file
    return percentDecoded(rest);
}

std::optional<std::string> percentDecoded(std::string_view text) {
    std::string decoded;
    decoded.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 &&
            hexValue(text[i + 2]) >= 0) {
            const char c = static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
            if (c == '\0')
                return std::nullopt;
            decoded += c;
            i += 2;
        } else {
            decoded += text[i]; // a "%" that starts no escape stays as written
        }
    }
    return decoded;
}

std::string entryText(std::string_view raw) {
    if (auto local = localPathOfFileUri(raw))
        return text::decodeLine(*local);
    return text::decodeLine(raw);
}

std::string relativePartOf(std::string_view entry) {
    std::string_view rest = entry;
    if (rest.size() >= 3 && rest[1] == ':' && isSeparator(rest[2]))
        rest.remove_prefix(2);
    std::string withRoot;
    if (rest.empty() || !isSeparator(rest.front())) {
        withRoot.reserve(rest.size() + 1);
        withRoot += '/';
        withRoot += rest;
        rest = withRoot;
    }
    // rest now begins with a separator: take it as (separator, component) pairs and keep
    // every pair but those whose component is "." or "..", so that the part can never
    // climb out of the folder it is appended to.
    std::string result;
    result.reserve(rest.size());
    std::size_t pos = 0;
    while (pos < rest.size()) {
        std::size_t end = pos + 1;
        while (end < rest.size() && !isSeparator(rest[end]))
            ++end;
        const std::string_view component = rest.substr(pos + 1, end - pos - 1);
        if (component != "." && component != "..")
            result.append(rest.substr(pos, end - pos));
        pos = end;
    }
    if (result.empty())
        result += rest.front();
    return result;
}

std::string locatedIn(const std::string& folder, const std::string& path) {
    if (isAbsolutePath(path))
        return path;
    if (folder.empty())
        return {};
    std::string result;
    result.reserve(folder.size() + 1 + path.size());
    result += folder;
    if (!isSeparator(folder.back()))
        result += '/';
    result += path;
    return result;
}

std::string joinedBelow(std::string_view folder, std::string_view path) {
    while (!folder.empty() && isSeparator(folder.back()))
        folder.remove_suffix(1);
    while (!path.empty() && isSeparator(path.front()))
        path.remove_prefix(1);
    std::string result;
    result.reserve(folder.size() + 1 + path.size());
    result += folder;
    result += '/';
    result += path;
    return result;
}

} // namespace tw::playlist
