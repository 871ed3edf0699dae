#include "text/LineReader.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace tw::text {

namespace {
constexpr char kEndOfFile = 0x1A;
constexpr char kBom[] = "\xEF\xBB\xBF";

// The first LF, CR or end-of-file mark in [begin, end), or end; memchr is many times faster
// than a loop over the bytes of a line.
const char* firstLineBreak(const char* begin, const char* end) {
    const char* stop = end;
    for (const char mark : {'\n', '\r', kEndOfFile}) {
        if (const void* found = std::memchr(begin, mark, static_cast<std::size_t>(stop - begin)))
            stop = static_cast<const char*>(found);
    }
    return stop;
}
} // namespace

LineReader::LineReader(const std::string& path, std::size_t bufferSize)
    : LineReader(path, Options{.bufferSize = bufferSize}) {}

LineReader::LineReader(const std::string& path, const Options& options)
    : LineReader(platform::InputFile(path), options) {}

LineReader::LineReader(platform::InputFile file, const Options& options)
    : m_file(std::move(file))
    , m_buffer(std::max<std::size_t>(options.bufferSize, 4))
    , m_maxLineBytes(options.maxLineBytes)
    , m_loneCrEndsLine(options.loneCrEndsLine) {}

LineReader::LineReader(Bytes bytes, const Options& options)
    : m_memory(bytes.data)
    , m_maxLineBytes(options.maxLineBytes)
    , m_loneCrEndsLine(options.loneCrEndsLine) {}

bool LineReader::fill() {
    if (m_eof)
        return false;
    if (m_pos < m_end)
        return true;
    if (m_file) {
        m_pos = 0;
        m_end = m_file->read(m_buffer.data(), m_buffer.size());
    } else if (!m_memoryTaken) {
        // Text in memory is one buffer, taken once.
        m_memoryTaken = true;
        m_end = m_memory.size();
    }
    if (m_pos == m_end)
        m_eof = true;
    return !m_eof;
}

bool LineReader::atEnd() {
    if (!m_started) {
        // The mark is only looked for at the very start of the file; it may be cut by a
        // read boundary, so it is gathered byte by byte.
        m_started = true;
        std::size_t matched = 0;
        while (matched < 3 && fill() && data()[m_pos] == kBom[matched]) {
            ++matched;
            ++m_pos;
        }
        if (matched == 3) {
            m_consumed += 3;
        } else if (matched > 0) {
            // Not a mark: put the bytes back in front of the line.
            m_pendingPrefix.assign(kBom, matched);
            m_consumed += matched;
        }
    }
    if (!m_pendingPrefix.empty())
        return false;
    return !fill() || data()[m_pos] == kEndOfFile;
}

void LineReader::append(std::string& line, const char* bytes, std::size_t count) {
    if (m_maxLineBytes != 0 && line.size() + count > m_maxLineBytes) {
        // Only the head of an overlong line is kept; the rest is read past.
        count = m_maxLineBytes - line.size();
        m_lastLineCut = true;
    }
    line.append(bytes, count);
}

bool LineReader::next(std::string& line) {
    line.clear();
    m_lastLineCut = false;
    if (atEnd()) {
        m_eof = true;
        return false;
    }
    if (!m_pendingPrefix.empty()) {
        append(line, m_pendingPrefix.data(), m_pendingPrefix.size());
        m_pendingPrefix.clear();
    }
    while (fill()) {
        const char* begin = data() + m_pos;
        const char* end = data() + m_end;
        const char* stop = firstLineBreak(begin, end);
        const std::size_t taken = static_cast<std::size_t>(stop - begin);
        append(line, begin, taken);
        m_pos += taken;
        m_consumed += taken;
        if (stop == end)
            continue;
        if (*stop == kEndOfFile) {
            m_eof = true;
            return true;
        }
        ++m_pos;
        ++m_consumed;
        if (*stop == '\n')
            return true;
        if (m_loneCrEndsLine) {
            // CR LF is one line end: an LF right after it (perhaps in the next buffer) goes.
            if (fill() && data()[m_pos] == '\n') {
                ++m_pos;
                ++m_consumed;
            }
            return true;
        }
        // A CR is dropped; a following LF (perhaps in the next buffer) ends the line.
    }
    return true;
}

} // namespace tw::text
