#pragma once

#include "copy/ClaimedNames.h"
#include "copy/CollisionPolicy.h"
#include "copy/CopyTypes.h"
#include "copy/DestinationPlaylist.h"
#include "copy/ProgressDisplay.h"
#include "copy/RunControl.h"
#include "copy/RunFailureSink.h"
#include "copy/RunFlags.h"
#include "copy/RunQuestions.h"
#include "i18n/StringTable.h"
#include "platform/DestinationFolder.h"
#include "platform/FileCopy.h"
#include "platform/NameRules.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace tw::copy {

// A millisecond tick counter that wraps at 2^32, like the system's tick count.
using TickClock = std::function<std::uint32_t()>;
TickClock systemTickClock();

// What a run works with besides its set-up: the three faces of its front end, the flags its
// Pause and Cancel write (reset when a run starts), the texts it shows, and the program-wide
// flag of the automatic-renaming notice (shown once per program).
struct RunContext {
    ProgressDisplay& display;
    RunControl& control;
    RunQuestions& questions;
    RunFlags& flags;
    const i18n::StringTable& table;
    bool& renameNoticePending;
    RunFailureSink& failures;
};

// One copy run: reads each playlist again, in order, copies each existing entry into the
// destination and counts every outcome. Reaches the user only through its context.
class CopyRun {
public:
    enum class End { Completed, Cancelled, Failed };

    // The start tick is taken here.
    CopyRun(const RunSetup& setup, const RunContext& context, TickClock clock = systemTickClock());

    // Runs to the end of the last playlist, a confirmed stop, or a failure. A failure is reported
    // to the error reporter; the counters keep what they counted. The destination's file
    // system is flushed before this returns, however the run ended.
    End run();

    const RunCounters& counters() const { return m_counters; }
    const RunProblems& problems() const { return m_problems; }
    const RunFlags& flags() const { return m_context.flags; }
    std::int64_t processedKB() const { return m_processedKB; }
    std::uint32_t pausedMs() const { return m_pausedMs; }
    std::string failureReason() const { return m_failureReason; }
    // The playlists written into the destination, in the order of their sources.
    const std::vector<platform::Path>& playlistsWritten() const { return m_playlistsWritten; }

private:
    enum class Step { Next, EndCancelled };

    void walk(End& end);
    Step walkList(std::size_t list);
    void finish();
    void copyEntry(const platform::Path& source, const platform::Path& relativePart,
                   std::size_t slot);
    // The target is taken as the source's earlier copy: same size, same time to FAT's 2 s.
    bool sameAsBefore(const platform::Path& source, const platform::Path& target) const;
    // The key of a source in m_copied; empty in a run of one list, which keeps none.
    std::string copiedKey(const platform::Path& source) const;
    void noteCopied(const platform::Path& source, const platform::Path& target, std::size_t list);
    void writePlaylist(const RunPlaylist& list);
    // The name a list's written playlist gets: another one of the run may have taken it.
    platform::Path playlistTarget(const RunPlaylist& list);
    // True when the target is one of the run's source playlists.
    bool isSourcePlaylist(const platform::Path& target, bool targetExists) const;
    // Tells the report of each copied file the written playlist leaves out.
    void notePlaylistLeftOut();
    static bool sameContent(const platform::Path& file, const std::string& text);
    // Whether the file and the written playlist with it still fit the destination.
    bool roomFor(const platform::Path& source, const platform::Path& target,
                 std::size_t slot) const;
    platform::Path targetFor(const platform::Path& relativePart) const;
    // The name as the destination takes it.
    std::string safeName(const std::string& name) const;
    // True when the target is the source itself, under any spelling the destination takes.
    bool isSource(const platform::Path& source, const platform::Path& target,
                  bool targetExists) const;
    // Where a copy is counted, and the name it goes under.
    struct Outcome {
        std::int32_t* counter;
        platform::Path target;
    };
    void copyCounted(const platform::Path& source, const platform::Path& target,
                     std::int32_t& counter, std::size_t slot,
                     std::optional<platform::FileIdentity> replacing = {});
    std::optional<platform::CopyBatch::NewTarget> nameTakenMeanwhile(const platform::Path& source,
                                                                     const platform::Path& target,
                                                                     std::size_t slot,
                                                                     Outcome& outcome);
    // Lets the front end's events go on while the device is waited for.
    void keepEventsGoing();
    // Flushes the destination's file system; when that fails, the files named since the
    // last flush that went well are reported as not copied.
    void settleNames();
    // Gives every whole copy its name before the run waits for the user.
    void beforeWaiting();
    // The next free numbered name for a taken target, counted on from the last one given.
    platform::Path nextAutomaticName(const platform::Path& target);
    void place(std::size_t slot, const platform::Path& target);
    void failed(const platform::Path& source, std::string reason);
    // The reason a copy failed, in the report's words.
    std::string failureReason(const platform::CopyResult& result);
    void noteProblem(RunProblem problem);
    bool askStop();
    Step afterEntry();
    void showElapsed();

    RunSetup m_setup;
    RunContext m_context;
    TickClock m_clock;
    std::uint32_t m_startTick = 0;
    std::uint32_t m_pausedMs = 0;
    std::int64_t m_processedKB = 0;
    RunCounters m_counters;
    RunProblems m_problems;
    CollisionPolicy m_policy;
    std::string m_failureReason;
    platform::CopyBatch m_batch;
    platform::NameRules m_names;
    std::optional<DestinationPlaylist> m_playlist; // of the list in hand, while one is written
    std::vector<DestinationPlaylist> m_listsDone;  // of the lists before it
    std::vector<platform::Path> m_playlistsWritten;
    std::size_t m_playlistsSettled = 0; // written before the last flush that went well
    std::size_t m_list = 0;             // the playlist in hand
    // The files the run has on the destination by source, with the list that named them
    // first: a later list names them again without copying them twice.
    struct CopiedFile {
        platform::Path target;
        std::size_t list;
    };
    std::unordered_map<std::string, CopiedFile> m_copied; // by copiedKey
    // A file named and counted, not yet known to be on the device.
    struct NamedFile {
        std::uint64_t flush; // the batch's flush count when it was named
        platform::Path source;
        std::int32_t* counter;
        std::size_t slot;
    };
    std::vector<NamedFile> m_unflushed;
    int m_flushError = 0; // of the last flush of the destination
    ClaimedNames m_claims;
    std::shared_ptr<platform::DestinationFolder> m_destination; // held while the run goes
    bool m_destinationGone = false;
    std::unordered_map<std::string, std::int64_t> m_nextNumber; // by claim key of the name
    std::int64_t m_place = 0; // of the file in hand among the files the run found
};

} // namespace tw::copy
