#pragma once

#include "platform/File.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tw::text {

// Cuts a text file into lines on raw bytes, streaming:
// - LF or CR LF ends a line; the line end is not part of the line;
// - a CR that is not followed by LF is dropped and does not end the line (unless
//   Options::loneCrEndsLine is set: then it ends the line as LF does);
// - byte 0x1A ends the file, nothing after it is read;
// - lines have no length limit unless Options::maxLineBytes sets one: a longer line is cut
//   to its first maxLineBytes bytes and the rest of it is skipped without being held;
// - the end of the file ends the last line; a line end at the very end gives no extra line;
// - a UTF-8 byte-order mark at the very start of the file is an encoding mark and is dropped.
// Only the current line and one read buffer are held in memory.
class LineReader {
public:
    struct Options {
        std::size_t bufferSize = 64 * 1024;
        std::size_t maxLineBytes = 0; // 0 = no limit
        bool loneCrEndsLine = false;
    };

    // Opens the file read-only; throws platform::FileError when it cannot be opened.
    explicit LineReader(const std::string& path, std::size_t bufferSize = 64 * 1024);
    LineReader(const std::string& path, const Options& options);
    // Reads a file the caller has opened (under its own rules).
    LineReader(platform::InputFile file, const Options& options);

    // True when the line just returned was longer than maxLineBytes and has been cut.
    bool lastLineCut() const { return m_lastLineCut; }

    // Reads the next line (raw bytes) into line. Returns false at the end of the file.
    // Throws platform::FileError on a read failure.
    bool next(std::string& line);

    // True once no further line can be read.
    bool atEnd();

    // Bytes of the file consumed so far, line ends, dropped bytes and the mark included.
    std::uint64_t bytesConsumed() const { return m_consumed; }

private:
    bool fill();

    platform::InputFile m_file;
    Options m_options;
    std::vector<char> m_buffer;
    bool m_lastLineCut = false;
    std::size_t m_pos = 0;
    std::size_t m_end = 0;
    std::string m_pendingPrefix;
    std::uint64_t m_consumed = 0;
    bool m_eof = false;
    bool m_started = false;
};

} // namespace tw::text
