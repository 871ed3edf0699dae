#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace tw::playlist {

struct ScanResult {
    enum class Outcome { Completed, Cancelled, Failed };
    Outcome outcome = Outcome::Completed;
    std::int32_t count = 0;  // files found
    std::int64_t sizeKB = 0; // sum of size/1024 per file
    std::string reason;      // for Failed
};

// Counts the existing files a playlist names (only ".mp3" ones when onlyMp3 is set) and
// sums their sizes, truncated to whole kilobytes per file. Opens no file but the playlist.
// progress is called every 10 lines with the bytes consumed; returning false cancels, and
// the counts reached so far are returned. A playlist that cannot be opened or read, or
// one of 2 GiB or more, gives Failed with the reason; nothing is thrown.
ScanResult scanPlaylist(const std::string& playlistPath, bool onlyMp3,
                        const std::function<bool(std::uint64_t bytesConsumed)>& progress = {});

} // namespace tw::playlist
