#pragma once

#include "copy/CopyOptions.h"

#include <optional>
#include <string>
#include <vector>

namespace tw::cli {

// What to do when a target file already exists.
enum class CollisionMode { Ask, Replace, Skip, AutoRename };

// The command line of tunewagon-copy.
struct CliOptions {
    copy::CopyOptions copy; // --flat clears keepStructure
    bool quiet = false;
    bool eject = false; // take the destination's removable drive out after the run
    std::optional<CollisionMode> onCollision; // nothing: ask on a terminal, skip otherwise
    std::optional<std::string> language;      // nothing: the Language key of Settings.ini
    std::vector<std::string> playlists;       // one or more, copied in this order as one run
    std::string destination;
};

} // namespace tw::cli
