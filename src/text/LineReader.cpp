#include "text/LineReader.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace tw::text {

namespace {
constexpr char kEndOfFile = 0x1A;
constexpr char kBom[] = "\xEF\xBB\xBF";
} // namespace

LineReader::LineReader(const std::string& path, std::size_t bufferSize)
    : LineReader(path, Options{bufferSize, 0, false}) {}

LineReader::LineReader(const std::string& path, const Options& options)
    : LineReader(platform::InputFile(path), options) {}

LineReader::LineReader(platform::InputFile file, const Options& options)
    : m_file(std::move(file))
    , m_options(options)
    , m_buffer(std::max<std::size_t>(options.bufferSize, 4)) {}

bool LineReader::fill() {
    if (m_eof)
        return false;
    if (m_pos < m_end)
        return true;
    m_pos = 0;
    m_end = m_file.read(m_buffer.data(), m_buffer.size());
    if (m_end == 0)
        m_eof = true;
    return !m_eof;
}

bool LineReader::atEnd() {
    if (!m_started) {
        // The mark is only looked for at the very start of the file; it may be cut by a
        // read boundary, so it is gathered byte by byte.
        m_started = true;
        std::size_t matched = 0;
        while (matched < 3 && fill() && m_buffer[m_pos] == kBom[matched]) {
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
    return !fill() || m_buffer[m_pos] == kEndOfFile;
}

bool LineReader::next(std::string& line) {
    line.clear();
    m_lastLineCut = false;
    if (atEnd()) {
        m_eof = true;
        return false;
    }
    line.swap(m_pendingPrefix);
    m_pendingPrefix.clear();
    while (fill()) {
        const char* begin = m_buffer.data() + m_pos;
        const char* end = m_buffer.data() + m_end;
        const char* stop = begin;
        while (stop != end && *stop != '\n' && *stop != '\r' && *stop != kEndOfFile)
            ++stop;
        std::size_t keep = static_cast<std::size_t>(stop - begin);
        if (m_options.maxLineBytes != 0 && line.size() + keep > m_options.maxLineBytes) {
            keep = m_options.maxLineBytes - std::min(line.size(), m_options.maxLineBytes);
            m_lastLineCut = true;
        }
        line.append(begin, keep);
        const std::size_t taken = static_cast<std::size_t>(stop - begin);
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
        if (m_options.loneCrEndsLine) {
            // CR LF is one line end: an LF right after it (perhaps in the next buffer) goes.
            if (fill() && m_buffer[m_pos] == '\n') {
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
