#pragma once

#include <chrono>

namespace tw::playlist {

// How many lookups a playlist reading keeps in flight. While the file system answers fast
// (from memory a lookup takes a microsecond or two, less than handing one line over would),
// lines go to a few threads in batches, or are looked up on the reading thread; once a batch of
// lines took longer than slowLine a line (a network share, a USB disk, a cold disk), count threads
// of their own ask the file system side by side.
struct LookupThreads {
    unsigned count = 8;                     // 0: every line looked up on the owner's thread
    std::chrono::microseconds slowLine{50}; // 0: all count threads from the start
    // Threads that look up from the start while the file system answers fast, where the
    // machine has more than one processor: the reading thread then only reads lines, and
    // the lookups of whole batches go on beside it. 0: the reading thread looks up itself
    // until the lookups turn slow.
    unsigned fromStart = 2;
};

} // namespace tw::playlist
