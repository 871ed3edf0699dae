#pragma once

#include "text/LineReader.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

namespace tw::playlist {

// A playlist that cannot be read again from its name and holds more than the program keeps
// in memory.
class PlaylistTooLarge : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Where the bytes of a playlist come from. A regular file is opened anew by its name for
// each reading; a pipe, a FIFO or standard input gives its bytes only once, so they are read
// once into memory and every reading (the list scan, then the copy run) takes that copy.
// Copies of a source share the bytes.
class PlaylistSource {
public:
    // The most a playlist held in memory may hold.
    static constexpr std::size_t kMaxInMemoryBytes = 64 * 1024 * 1024;

    // The file of that name, read from the file system each time.
    PlaylistSource(std::string path);
    PlaylistSource(const char* path);

    // Bytes already read, known under the name.
    static PlaylistSource fromBytes(std::string name, std::string bytes);

    // "-" is standard input. A regular file (or a link to one) stays a name; anything else
    // is read to its end now. Throws platform::FileError when it cannot be opened or read,
    // PlaylistTooLarge when it holds more than maxBytes.
    static PlaylistSource load(const std::string& path, std::size_t maxBytes = kMaxInMemoryBytes);

    // The name it was given ("-" for standard input).
    const std::string& path() const { return m_path; }
    bool inMemory() const { return m_bytes != nullptr; }

    // The bytes held in memory; null for a file read by its name.
    const std::string* bytesInMemory() const { return m_bytes.get(); }

    // Up to size bytes from the start; throws platform::FileError when the file cannot be
    // opened or read.
    std::string head(std::size_t size) const;

    // Size in bytes; -1 for a file that is missing or a folder.
    std::int64_t size() const;

    // A line reader over the bytes; throws platform::FileError when the file cannot be
    // opened. The reader must not outlive this source.
    text::LineReader lines(const text::LineReader::Options& options) const;

private:
    std::string m_path;
    std::shared_ptr<const std::string> m_bytes;
};

} // namespace tw::playlist
