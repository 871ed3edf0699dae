#pragma once

#include "platform/Path.h"

#include <cstdint>
#include <string>

namespace tw::playlist {

// One entry of a playlist, in file order.
struct PlaylistEntry {
    std::string text;            // entry text after the PLS key removal (decoded UTF-8)
    platform::Path relativePart; // begins with "/"; no "." / ".." components
    platform::Path sourcePath;   // the candidate that exists; empty when missing
    std::int64_t size = -1;      // byte size of the source, as found while resolving
    bool found() const { return !sourcePath.empty(); }
};

} // namespace tw::playlist
