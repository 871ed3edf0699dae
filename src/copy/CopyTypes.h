#pragma once

#include <cstdint>
#include <optional>
#include <string>

// Values shared by the copy run, its collision policy and the windows that host them.
namespace tw::copy {

// What to do with a file whose target already exists. None: the dialog closed without an
// action (or the user stopped the run from it).
enum class CollisionAction { None = -1, Replace = 1, Skip = 2, Rename = 3, AutoRename = 4 };

// What the run reads from the copy set-up of the main window.
struct RunSetup {
    std::string playlistPath, playlistField, destinationField;
    bool keepStructure = true, transliterate = false, onlyMp3 = false;
    std::int64_t listSizeKB = 0;
};

// The outcome counts of one run, zeroed when it starts, and its two cancel flags.
struct RunCounters {
    std::int32_t identical = 0, created = 0, replaced = 0, skipped = 0, renamed = 0,
                 autoRenamed = 0, failed = 0, missing = 0;
    bool cancelRequest = false, stop = false;
    bool cancelled() const { return cancelRequest || stop; }
};

// One side of a collision as the dialog shows it: size in bytes (-1 when unknown) and
// last-write time in seconds since the epoch.
struct FileFacts {
    std::string path;
    std::int64_t size = -1;
    std::optional<std::int64_t> lastWrite;
};

struct CollisionQuestion {
    FileFacts target, source;
    bool sameSize = false; // the "same action for the rest" box is disabled
};

struct CollisionAnswer {
    CollisionAction action = CollisionAction::None;
    bool sameForRest = false;   // the dialog's check box when it closed
    std::string typedName;      // for Rename: already checked with typedNameAcceptable
    bool stopConfirmed = false; // the user confirmed a stop from the dialog
};

} // namespace tw::copy
