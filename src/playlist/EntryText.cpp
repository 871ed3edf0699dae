#include "playlist/EntryText.h"

#include "text/Encoding.h"

#include <array>
#include <charconv>

namespace tw::playlist {

namespace {

constexpr std::array<std::string_view, 6> kHeaderKeywords{
    "[playlist]", "Title", "Length", "#EXT", "NumberOfEntries", "Version"};

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

} // namespace

bool isHeaderLine(std::string_view line) {
    for (const std::string_view keyword : kHeaderKeywords) {
        if (line.starts_with(keyword))
            return true;
    }
    return false;
}

std::string_view removeFileKey(std::string_view line, std::uint64_t& fileLines) {
    if (!line.starts_with("File"))
        return line;
    ++fileLines;
    char digits[24];
    const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, fileLines);
    const std::string_view number(digits, static_cast<std::size_t>(end - digits));
    std::string_view rest = line.substr(4);
    if (rest.starts_with(number) && rest.size() > number.size() && rest[number.size()] == '=')
        return rest.substr(number.size() + 1);
    return line;
}

std::optional<std::string> localPathOfFileUri(std::string_view raw) {
    if (!startsWithNoCase(raw, "file://"))
        return std::nullopt;
    std::string_view rest = raw.substr(7);
    if (startsWithNoCase(rest, "localhost/"))
        rest.remove_prefix(9);
    if (!rest.starts_with('/'))
        return std::nullopt; // another host: not a local file
    std::string path;
    path.reserve(rest.size());
    for (std::size_t i = 0; i < rest.size(); ++i) {
        if (rest[i] == '%' && i + 2 < rest.size() && hexValue(rest[i + 1]) >= 0 &&
            hexValue(rest[i + 2]) >= 0) {
            const char c = static_cast<char>(hexValue(rest[i + 1]) * 16 + hexValue(rest[i + 2]));
            if (c == '\0')
                return std::nullopt;
            path += c;
            i += 2;
        } else {
            path += rest[i]; // a "%" that starts no escape stays as written
        }
    }
    return path;
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

} // namespace tw::playlist
