#include "app/IniFile.h"

#include "platform/File.h"
#include "platform/FileError.h"
#include "platform/FileSystem.h"
#include "text/Encoding.h"
#include "text/LineReader.h"

#include <cerrno>
#include <climits>
#include <cstddef>
#include <optional>
#include <string_view>
#include <utility>

namespace tw::app {
namespace {

constexpr std::string_view kBlanks = " \t";

std::string_view trim(std::string_view s) {
    const auto first = s.find_first_not_of(kBlanks);
    if (first == std::string_view::npos)
        return {};
    const auto last = s.find_last_not_of(kBlanks);
    return s.substr(first, last - first + 1);
}

char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lowerAscii(a[i]) != lowerAscii(b[i]))
            return false;
    }
    return true;
}

// "[name]" gives name; any other line gives nothing.
std::optional<std::string_view> sectionOf(std::string_view line) {
    const std::string_view t = trim(line);
    if (t.size() < 2 || t.front() != '[')
        return std::nullopt;
    const auto close = t.rfind(']');
    if (close == std::string_view::npos || close == 0)
        return std::nullopt;
    return trim(t.substr(1, close - 1));
}

struct KeyLine {
    std::string_view key;
    std::string_view value;
};

// "key=value" gives both trimmed; comments and lines without "=" give nothing.
std::optional<KeyLine> keyOf(std::string_view line) {
    const std::string_view t = trim(line);
    if (t.empty() || t.front() == ';' || t.front() == '#' || t.front() == '[')
        return std::nullopt;
    const auto eq = t.find('=');
    if (eq == std::string_view::npos)
        return std::nullopt;
    return KeyLine{trim(t.substr(0, eq)), trim(t.substr(eq + 1))};
}

// One pair of matching quotes around a value is not part of it.
std::string_view unquote(std::string_view v) {
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        return v.substr(1, v.size() - 2);
    return v;
}

std::optional<int> parseInteger(std::string_view text) {
    text = trim(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty())
        return std::nullopt;
    long long value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value > INT_MAX || value < INT_MIN)
        return std::nullopt;
    return static_cast<int>(value);
}

// Where a section's lines are: the header's index and one past its last line.
struct SectionSpan {
    std::size_t header;
    std::size_t end;
};

std::optional<SectionSpan> findSection(const std::vector<std::string>& lines,
                                       std::string_view section) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto name = sectionOf(lines[i]);
        if (!name || !sameName(*name, section))
            continue;
        std::size_t end = i + 1;
        while (end < lines.size() && !sectionOf(lines[end]))
            ++end;
        return SectionSpan{i, end};
    }
    return std::nullopt;
}

std::optional<std::size_t> findKey(const std::vector<std::string>& lines, SectionSpan span,
                                   std::string_view key) {
    for (std::size_t i = span.header + 1; i < span.end; ++i) {
        const auto entry = keyOf(lines[i]);
        if (entry && sameName(entry->key, key))
            return i;
    }
    return std::nullopt;
}

// A value always stays on its own line.
std::string oneLine(std::string value) {
    for (char& c : value) {
        if (c == '\r' || c == '\n')
            c = ' ';
    }
    return value;
}

} // namespace

IniFile::IniFile(std::string path)
    : m_path(std::move(path)) {}

std::vector<std::string> IniFile::readLines(bool forWriting) const {
    std::vector<std::string> lines;
    if (!platform::fileExists(m_path))
        return lines;
    try {
        text::LineReader reader(m_path);
        std::string line;
        while (reader.next(line))
            lines.push_back(line);
    } catch (const platform::FileError&) {
        // Reading, an unreadable file is an empty one; writing over it would lose its
        // other lines, so a write fails instead.
        if (forWriting)
            throw;
        lines.clear();
    }
    return lines;
}

void IniFile::replaceWith(const std::vector<std::string>& lines) const {
    std::string content;
    for (const std::string& line : lines) {
        content += line;
        content += "\r\n";
    }
    const std::string temporary = m_path + ".tmp";
    try {
        platform::OutputFile out(temporary, platform::OutputFile::Mode::Truncate);
        out.write(content);
        out.sync();
        out.close();
    } catch (...) {
        platform::deleteFile(temporary);
        throw;
    }
    if (!platform::moveFile(temporary, m_path)) {
        const int error = errno;
        platform::deleteFile(temporary);
        throw platform::FileError("cannot replace the settings file", m_path, error);
    }
}

std::string IniFile::readString(const std::string& section, const std::string& key,
                                const std::string& def) const {
    const std::vector<std::string> lines = readLines(false);
    const auto span = findSection(lines, section);
    if (!span)
        return def;
    const auto index = findKey(lines, *span, key);
    if (!index)
        return def;
    return text::decodeLine(unquote(keyOf(lines[*index])->value));
}

int IniFile::readInteger(const std::string& section, const std::string& key, int def) const {
    return parseInteger(readString(section, key, {})).value_or(def);
}

bool IniFile::readBool(const std::string& section, const std::string& key, bool def) const {
    return readInteger(section, key, def ? 1 : 0) != 0;
}

void IniFile::writeString(const std::string& section, const std::string& key,
                          const std::string& value) {
    std::vector<std::string> lines = readLines(true);
    const std::string newLine = key + "=" + oneLine(value);
    if (const auto span = findSection(lines, section)) {
        if (const auto index = findKey(lines, *span, key)) {
            // Keep the key as the file spells it.
            const std::string_view existing = keyOf(lines[*index])->key;
            lines[*index] = std::string(existing) + "=" + oneLine(value);
        } else {
            // After the section's last non-blank line, before the blank lines that part it
            // from the next section.
            std::size_t at = span->end;
            while (at > span->header + 1 && trim(lines[at - 1]).empty())
                --at;
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), newLine);
        }
    } else {
        if (!lines.empty() && !trim(lines.back()).empty())
            lines.emplace_back();
        lines.push_back("[" + section + "]");
        lines.push_back(newLine);
    }
    replaceWith(lines);
}

void IniFile::writeInteger(const std::string& section, const std::string& key, int value) {
    writeString(section, key, std::to_string(value));
}

void IniFile::writeBool(const std::string& section, const std::string& key, bool value) {
    writeString(section, key, value ? "1" : "0");
}

} // namespace tw::app
