#include "playlist/PlaylistReader.h"

namespace tw::playlist {

namespace {

// Paths have no drive here, and ":" is an ordinary character of Linux file names
// ("Artist: Song.mp3"), so only "\" and "/" end a folder part.
std::size_t nameStart(std::string_view path) {
    const std::size_t last = path.find_last_of("\\/");
    return last == std::string_view::npos ? 0 : last + 1;
}

} // namespace

bool hasMp3Extension(std::string_view path) {
    const std::string_view name = path.substr(nameStart(path));
    const std::size_t dot = name.rfind('.');
    return dot != std::string_view::npos && name.substr(dot) == ".mp3";
}

std::string fileNameOf(std::string_view path) {
    return std::string(path.substr(nameStart(path)));
}

std::string folderOf(std::string_view path) {
    const std::size_t last = path.find_last_of("\\/");
    if (last == std::string_view::npos)
        return {};
    // A root keeps its separator: "/" and "C:\".
    if (last == 0 || (last == 2 && path[1] == ':'))
        return std::string(path.substr(0, last + 1));
    return std::string(path.substr(0, last));
}

std::int64_t kilobytesOf(std::int64_t bytes) {
    return bytes <= 0 ? 0 : bytes / 1024 + (bytes % 1024 != 0 ? 1 : 0);
}

} // namespace tw::playlist
