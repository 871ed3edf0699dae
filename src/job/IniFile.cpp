#include "job/IniFile.h"

#include "platform/File.h"
#include "platform/FileError.h"
#include "platform/FileSystem.h"
#include "platform/TemporaryFile.h"
#include "text/Encoding.h"

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstring>
#include <optional>
#include <string_view>
#include <utility>

namespace tw::job {
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

// The text of a line as the reader sees it: a UTF-8 mark before the first line is not part
// of it.
template <class Lines>
std::string_view textAt(const Lines& lines, std::size_t i) {
    std::string_view text = lines[i].text;
    if (i == 0 && text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    return text;
}

// A line cut for its length is neither a header nor a key.
template <class Lines>
std::optional<std::string_view> sectionAt(const Lines& lines, std::size_t i) {
    return lines[i].cut ? std::nullopt : sectionOf(textAt(lines, i));
}

template <class Lines>
std::optional<KeyLine> keyAt(const Lines& lines, std::size_t i) {
    return lines[i].cut ? std::nullopt : keyOf(textAt(lines, i));
}

template <class Lines>
std::optional<SectionSpan> findSection(const Lines& lines, std::string_view section) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto name = sectionAt(lines, i);
        if (!name || !sameName(*name, section))
            continue;
        std::size_t end = i + 1;
        while (end < lines.size() && !sectionAt(lines, end))
            ++end;
        return SectionSpan{i, end};
    }
    return std::nullopt;
}

template <class Lines>
std::optional<std::size_t> findKey(const Lines& lines, SectionSpan span, std::string_view key) {
    for (std::size_t i = span.header + 1; i < span.end; ++i) {
        const auto entry = keyAt(lines, i);
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

constexpr std::size_t kChunkBytes = std::size_t{64} * 1024;

// Writes to the temporary file or throws.
void put(platform::TemporaryFile& temp, std::string_view bytes, const std::string& path) {
    if (const int error = temp.write(bytes))
        throw platform::FileError("cannot save the settings to", path, error);
}

// Copies a stretch of the file read into the temporary file; to the end when bytes is 0.
void copyStretch(platform::InputFile& from, std::uint64_t offset, std::uint64_t bytes,
                 platform::TemporaryFile& to, const std::string& path) {
    std::vector<char> buffer(kChunkBytes);
    const bool toEnd = bytes == 0;
    while (toEnd || bytes > 0) {
        const std::size_t want =
            toEnd ? buffer.size()
                  : static_cast<std::size_t>(std::min<std::uint64_t>(bytes, buffer.size()));
        const std::size_t got = from.readAt(buffer.data(), want, offset);
        if (got == 0) {
            if (toEnd)
                return;
            throw platform::FileError("cannot save the settings: the file shrank while read", path,
                                      platform::FileError::ioError);
        }
        put(to, std::string_view(buffer.data(), got), path);
        offset += got;
        if (!toEnd)
            bytes -= got;
    }
}

} // namespace

IniFile::IniFile(std::string path)
    : m_path(std::move(path)) {
    load();
}

void IniFile::load() {
    try {
        m_source.emplace(m_path, platform::OpenRules{false, true});
    } catch (const platform::FileError& e) {
        // Missing, the file reads as empty. Unreadable, it reads as empty too, but saving over
        // it would lose its other lines, so a save fails instead.
        if (!e.notFound())
            m_readError = e.errorNumber() != 0 ? e.errorNumber() : -1;
        return;
    }
    try {
        std::vector<char> buffer(kChunkBytes);
        Line current;
        std::uint64_t at = 0; // file offset of buffer[0]
        bool pendingCr = false;
        auto finish = [&](const char* end, std::uint64_t next) {
            current.end = end;
            current.rawBytes = next - current.offset;
            current.fromFile = true;
            m_lines.push_back(std::move(current));
            current = Line{};
            current.offset = next;
            if (m_lines.size() < maxLines)
                return false;
            m_restOffset = next;
            m_hasRest = true;
            return true;
        };
        auto take = [&](const char* from, std::size_t n) {
            const std::size_t room = maxLineBytes - std::min(maxLineBytes, current.text.size());
            if (n > room)
                current.cut = true;
            current.text.append(from, std::min(n, room));
        };
        for (;;) {
            const std::size_t got = m_source->read(buffer.data(), buffer.size());
            if (got == 0)
                break;
            const char* data = buffer.data();
            std::size_t i = 0;
            if (pendingCr) {
                pendingCr = false;
                const bool crLf = data[0] == '\n';
                if (finish(crLf ? "\r\n" : "\r", at + (crLf ? 1 : 0)))
                    return;
                i = crLf ? 1 : 0;
            }
            while (i < got) {
                const char* lf = static_cast<const char*>(std::memchr(data + i, '\n', got - i));
                const std::size_t lfAt = lf ? static_cast<std::size_t>(lf - data) : got;
                const char* cr = static_cast<const char*>(std::memchr(data + i, '\r', lfAt - i));
                const std::size_t stop = cr ? static_cast<std::size_t>(cr - data) : lfAt;
                take(data + i, stop - i);
                if (stop == got) {
                    i = got;
                    break;
                }
                if (data[stop] == '\n') {
                    if (finish("\n", at + stop + 1))
                        return;
                    i = stop + 1;
                } else if (stop + 1 == got) {
                    pendingCr = true; // is an LF next, in the following read?
                    i = got;
                } else {
                    const bool crLf = data[stop + 1] == '\n';
                    if (finish(crLf ? "\r\n" : "\r", at + stop + (crLf ? 2 : 1)))
                        return;
                    i = stop + (crLf ? 2 : 1);
                }
            }
            at += got;
        }
        if (pendingCr)
            finish("\r", at);
        else if (at > current.offset)
            finish("", at);
    } catch (const platform::FileError& e) {
        m_lines.clear();
        m_hasRest = false;
        m_readError = e.errorNumber() != 0 ? e.errorNumber() : -1;
    }
}

IniFile::Line& IniFile::insertLine(std::size_t at, std::string text) {
    // The file's last line may have had no line end; the new line needs one before it.
    if (at > 0 && m_lines[at - 1].end.empty()) {
        m_lines[at - 1].end = "\r\n";
        m_lines[at - 1].endAdded = true;
    }
    Line line;
    line.text = std::move(text);
    line.end = "\r\n";
    return *m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
}

void IniFile::save() {
    if (m_readError != 0)
        throw platform::FileError("cannot save the settings: cannot read", m_path,
                                  m_readError > 0 ? m_readError : 0);
    const std::string target = m_path;
    const auto slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : target.substr(0, slash);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);

    platform::TemporaryFile temp;
    if (const int error = temp.create(folder.empty() ? "/" : folder, name))
        throw platform::FileError("cannot save the settings to", m_path, error);
    const unsigned mode = m_source ? m_source->permissions() : platform::newFilePermissions();
    if (const int error = temp.setPermissions(mode))
        throw platform::FileError("cannot save the settings to", m_path, error);

    std::string pending;
    auto flush = [&] {
        put(temp, pending, m_path);
        pending.clear();
    };
    auto writeLine = [&](const Line& line) {
        if (line.fromFile && line.cut) {
            flush();
            copyStretch(*m_source, line.offset, line.rawBytes, temp, m_path);
            if (line.endAdded)
                pending += line.end;
        } else {
            pending += line.text;
            pending += line.end;
        }
        if (pending.size() >= kChunkBytes)
            flush();
    };
    for (const Line& line : m_lines) {
        if (!line.afterRest)
            writeLine(line);
    }
    if (m_hasRest) {
        flush();
        copyStretch(*m_source, m_restOffset, 0, temp, m_path);
        const auto size = static_cast<std::uint64_t>(m_source->size());
        char last = '\n';
        if (size > m_restOffset)
            m_source->readAt(&last, 1, size - 1);
        const bool anyAfter = std::any_of(m_lines.begin(), m_lines.end(),
                                          [](const Line& line) { return line.afterRest; });
        if (anyAfter && last != '\n' && last != '\r')
            pending += "\r\n";
        for (const Line& line : m_lines) {
            if (line.afterRest)
                writeLine(line);
        }
    }
    flush();
    if (const int error = temp.sync())
        throw platform::FileError("cannot save the settings to", m_path, error);
    if (const int error = temp.commitAs(target))
        throw platform::FileError("cannot save the settings to", m_path, error);
}

std::string IniFile::readString(const std::string& section, const std::string& key,
                                const std::string& def) const {
    const auto span = findSection(m_lines, section);
    if (!span)
        return def;
    const auto index = findKey(m_lines, *span, key);
    if (!index)
        return def;
    return text::decodeLine(unquote(keyAt(m_lines, *index)->value));
}

int IniFile::readInteger(const std::string& section, const std::string& key, int def) const {
    return parseInteger(readString(section, key, {})).value_or(def);
}

bool IniFile::readBool(const std::string& section, const std::string& key, bool def) const {
    return readInteger(section, key, def ? 1 : 0) != 0;
}

void IniFile::writeString(const std::string& section, const std::string& key,
                          const std::string& value) {
    if (const auto span = findSection(m_lines, section)) {
        if (const auto index = findKey(m_lines, *span, key)) {
            // Keep the key as the file spells it, and the line's own line end.
            Line& line = m_lines[*index];
            line.text = std::string(keyAt(m_lines, *index)->key) + "=" + oneLine(value);
            line.fromFile = false;
        } else {
            // After the section's last non-blank line, before the blank lines that part it
            // from the next section.
            std::size_t at = span->end;
            while (at > span->header + 1 && !m_lines[at - 1].cut &&
                   trim(m_lines[at - 1].text).empty())
                --at;
            insertLine(at, key + "=" + oneLine(value)).afterRest = m_lines[span->header].afterRest;
        }
    } else {
        const bool afterRest = m_hasRest;
        if (!m_lines.empty() && (afterRest || !trim(m_lines.back().text).empty()))
            insertLine(m_lines.size(), "").afterRest = afterRest;
        insertLine(m_lines.size(), "[" + section + "]").afterRest = afterRest;
        insertLine(m_lines.size(), key + "=" + oneLine(value)).afterRest = afterRest;
    }
}

void IniFile::writeInteger(const std::string& section, const std::string& key, int value) {
    writeString(section, key, std::to_string(value));
}

void IniFile::writeBool(const std::string& section, const std::string& key, bool value) {
    writeString(section, key, value ? "1" : "0");
}

} // namespace tw::job
