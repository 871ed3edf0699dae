#pragma once

#include "playlist/LookupThreads.h"
#include "playlist/PlaylistEntry.h"
#include "playlist/PlaylistSource.h"

#include <cstdint>
#include <functional>
#include <string>

namespace tw::playlist {

struct ScanResult {
    enum class Outcome { Completed, Cancelled, Failed };
    Outcome outcome = Outcome::Completed;
    std::int32_t count = 0;  // files found
    std::int64_t sizeKB = 0; // sum of the whole kilobytes of each file, rounded up
    std::string reason;      // for Failed
};

// Counts the existing files a playlist names (only ".mp3" ones when onlyMp3 is set) and
// sums their sizes, each rounded up to whole kilobytes. Entries are read and found exactly
// as the copy run reads and finds them (PlaylistReader), so the count is what a run copies.
// Opens no file but the playlist. progress is called every 10 lines with the bytes
// consumed; returning false cancels, and the counts reached so far are returned. A playlist
// that cannot be opened or read, or one of 2 GiB or more, gives Failed with the reason;
// nothing is thrown. The field text is the reader's: it gives the playlist's folder and
// drive (the source's name when empty).
// On a slow file system the files are looked up on threads of their own (see
// LookupThreads), the results taken in line order, so counts, sizes and the progress calls
// are the same either way. progress is always called on the caller's thread; while the caller waits
// for a slow lookup it is called again every 100 ms with the bytes it last had, so that a window
// stays responsive and a cancel stops the lookups not yet begun at once.
// sizeCounts, when given, is asked of each file counted whether its size adds to sizeKB (a
// file another playlist of the same run named already does not).
ScanResult scanPlaylist(const PlaylistSource& source, const std::string& fieldText, bool onlyMp3,
                        const std::function<bool(std::uint64_t bytesConsumed)>& progress = {},
                        LookupThreads lookupThreads = {},
                        const std::function<bool(const PlaylistEntry&)>& sizeCounts = {});

// The playlist file at that path, its folder and drive taken from the path.
ScanResult scanPlaylist(const std::string& playlistPath, bool onlyMp3,
                        const std::function<bool(std::uint64_t bytesConsumed)>& progress = {},
                        LookupThreads lookupThreads = {});

} // namespace tw::playlist
