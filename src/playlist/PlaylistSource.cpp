#include "playlist/PlaylistSource.h"

#include "platform/File.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace tw::playlist {

PlaylistSource::PlaylistSource(std::string path)
    : m_path(std::move(path)) {}

PlaylistSource::PlaylistSource(const char* path)
    : m_path(path) {}

PlaylistSource PlaylistSource::fromBytes(std::string name, std::string bytes) {
    PlaylistSource source(std::move(name));
    source.m_bytes = std::make_shared<const std::string>(std::move(bytes));
    return source;
}

PlaylistSource PlaylistSource::load(const std::string& path, std::size_t maxBytes) {
    const bool standardInput = path == "-";
    platform::InputFile file =
        standardInput ? platform::InputFile::standardInput() : platform::InputFile::anyKind(path);
    if (!standardInput && file.isRegular())
        return PlaylistSource(path);

    // One byte past the bound tells a playlist of exactly maxBytes from a larger one, and
    // nothing more than that is ever held.
    std::string bytes;
    std::vector<char> buffer(64 * 1024);
    for (;;) {
        const std::size_t room = maxBytes + 1 - bytes.size();
        const std::size_t n = file.read(buffer.data(), std::min(buffer.size(), room));
        if (n == 0)
            break;
        bytes.append(buffer.data(), n);
        if (bytes.size() > maxBytes)
            throw PlaylistTooLarge("the playlist \"" + path + "\" is no regular file and holds " +
                                   "more than " + std::to_string(maxBytes) +
                                   " bytes; save it as a file first");
    }
    return fromBytes(path, std::move(bytes));
}

std::int64_t PlaylistSource::size() const {
    if (m_bytes)
        return static_cast<std::int64_t>(m_bytes->size());
    return platform::fileSize(m_path);
}

std::string PlaylistSource::head(std::size_t size) const {
    if (m_bytes)
        return m_bytes->substr(0, size);
    platform::InputFile file(m_path);
    std::string bytes(size, '\0');
    std::size_t filled = 0;
    while (filled < size) {
        const std::size_t n = file.read(bytes.data() + filled, size - filled);
        if (n == 0)
            break;
        filled += n;
    }
    bytes.resize(filled);
    return bytes;
}

text::LineReader PlaylistSource::lines(const text::LineReader::Options& options) const {
    if (m_bytes)
        return text::LineReader(text::LineReader::Bytes{*m_bytes}, options);
    return text::LineReader(m_path, options);
}

} // namespace tw::playlist
