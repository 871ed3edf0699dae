#pragma once

#include "copy/CopyOptions.h"
#include "platform/NameRules.h"
#include "platform/Path.h"
#include "playlist/PlaylistSource.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Values shared by the copy run, its collision policy and the front ends that host them.
namespace tw::copy {

// What to do with a file whose target already exists. None: the dialog closed without an
// action (or the user stopped the run from it).
enum class CollisionAction { None = -1, Replace = 1, Skip = 2, Rename = 3, AutoRename = 4 };

// One playlist a run copies.
struct RunPlaylist {
    playlist::PlaylistSource source{std::string()}; // read once more, or its bytes again
    std::string field;                              // as shown: gives the playlist's folder
};

// What the run reads from the copy set-up.
struct RunSetup {
    // Copied one after the other as one run: one report, one collision policy, and one
    // written playlist for each.
    std::vector<RunPlaylist> playlists;
    platform::Path destination;
    CopyOptions options;
    std::int64_t listSizeKB = 0; // of all the playlists
    std::int64_t fileCount = 0;  // the files the scan found: how wide numbered names' places are
};

// The text that every path of one source file an entry may give ("../music/a.mp3" from
// another folder, a folder reached through a link) shares: the path with every link, "."
// and ".." resolved; absolute with "." and ".." resolved as text when it names nothing.
std::string sourceKey(const platform::Path& source);

// The outcome counts of one run, zeroed when it starts.
struct RunCounters {
    std::int32_t identical = 0, created = 0, replaced = 0, skipped = 0, renamed = 0,
                 autoRenamed = 0, failed = 0, missing = 0;
};

// An entry the run could not copy, with its reason.
struct RunProblem {
    enum class Kind { Missing, Failed };
    Kind kind = Kind::Failed;
    std::string entry;  // the entry as the playlist names it (missing) or the source (failed)
    std::string reason; // empty for a missing entry
};

// The missing and failed entries of a run: the first `kept` of them, each entry text cut to
// `keptBytes` (no path is longer; a hostile playlist's lines may be), and how many there were.
class RunProblems {
public:
    static constexpr std::size_t kept = 10000;
    static constexpr std::size_t keptBytes = 4096;

    void add(RunProblem problem);
    const std::vector<RunProblem>& items() const { return m_items; }
    std::int64_t total() const { return m_total; }

private:
    std::vector<RunProblem> m_items;
    std::int64_t m_total = 0;
};

// One side of a collision as the dialog shows it: size in bytes (-1 when unknown) and
// last-write time in seconds since the epoch.
struct FileFacts {
    platform::Path path;
    std::int64_t size = -1;
    std::optional<std::int64_t> lastWrite;
};

struct CollisionQuestion {
    FileFacts target, source;
    bool sameSize = false; // the "same action for the rest" box is disabled
    // What the target's device refuses in a name; a typed name is checked against it.
    platform::NameRules targetNames;
};

struct CollisionAnswer {
    CollisionAction action = CollisionAction::None;
    bool sameForRest = false;   // the dialog's check box when it closed
    std::string typedName;      // for Rename: already checked with typedNameAcceptable
    bool stopConfirmed = false; // the user confirmed a stop from the dialog
};

// A position and maximum for a progress bar that holds signed 32-bit steps: kilobytes as
// they are while the list fits, otherwise scaled down alike.
struct GaugeSteps {
    int position = 0, maximum = 0;
};
GaugeSteps gaugeSteps(std::int64_t positionKB, std::int64_t maximumKB);

} // namespace tw::copy
