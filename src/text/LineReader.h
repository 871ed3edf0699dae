#pragma once

#include "platform/File.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tw::text {

// Cuts a text file into lines on raw bytes, streaming:
// - LF or CR LF ends a line; the line end is not part of the line;
// - a CR that is not followed by LF is dropped and does not end the line (unless
//   Options::loneCrEndsLine is set: then it ends the line as LF does);
// - byte 0x1A ends the file, nothing after it is read;
// - lines have no length limit unless the reader is given one (then a longer line is handed
//   out cut, and its rest is skipped without being held);
// - the end of the file ends the last line; a line end at the very end gives no extra line;
// - a UTF-8 byte-order mark at the very start of the file is an encoding mark and is dropped.
// Only the current line and one read buffer are held in memory.
class LineReader {
public:
    struct Options {
        std::size_t bufferSize = 64 * 1024;
        // Longest line handed out, in bytes; 0 means no limit.
        std::size_t maxLineBytes = 0;
        // A lone CR ends a line instead of being dropped.
        bool loneCrEndsLine = false;
    };

    // Bytes already in memory, cut by the same rules; the caller keeps them alive for the
    // life of the reader.
    struct Bytes {
        std::string_view data;
    };

    // Opens the file read-only; throws platform::FileError when it cannot be opened.
    explicit LineReader(const std::string& path, std::size_t bufferSize = 64 * 1024);
    LineReader(const std::string& path, const Options& options);
    // Reads a file the caller has opened (under its own rules).
    LineReader(platform::InputFile file, const Options& options);
    LineReader(Bytes bytes, const Options& options);

    // Reads the next line (raw bytes) into line. Returns false at the end of the file.
    // Throws platform::FileError on a read failure.
    bool next(std::string& line);

    // True when the line just handed out was longer than maxLineBytes: it holds the
    // first maxLineBytes bytes, the rest of that line was read past.
    bool lastLineCut() const { return m_lastLineCut; }

    // True once no further line can be read.
    bool atEnd();

    // Bytes of the file consumed so far, line ends, dropped bytes and the mark included.
    std::uint64_t bytesConsumed() const { return m_consumed; }

private:
    bool fill();
    const char* data() const { return m_file ? m_buffer.data() : m_memory.data(); }
    void append(std::string& line, const char* bytes, std::size_t count);

    std::optional<platform::InputFile> m_file; // none when reading from memory
    std::string_view m_memory;
    bool m_memoryTaken = false;
    std::vector<char> m_buffer;
    std::size_t m_maxLineBytes = 0;
    bool m_loneCrEndsLine = false;
    bool m_lastLineCut = false;
    std::size_t m_pos = 0;
    std::size_t m_end = 0;
    std::string m_pendingPrefix;
    std::uint64_t m_consumed = 0;
    bool m_eof = false;
    bool m_started = false;
};

} // namespace tw::text
