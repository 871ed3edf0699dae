#pragma once

#include <chrono>

namespace tw::playlist {

// How many lookups a playlist reading keeps in flight. Lines are looked up on the reading
// thread while the file system answers fast (from memory a lookup takes a microsecond or
// two, less than handing it over would); once a batch of lines took longer than slowLine a
// line (a network share, a USB disk, a cold disk), count threads of their own ask the file
// system side by side.
struct LookupThreads {
    unsigned count = 8;                     // 0: every line looked up on the owner's thread
    std::chrono::microseconds slowLine{50}; // 0: all count threads from the start
};

} // namespace tw::playlist
