#pragma once

#include "copy/CopyOptions.h"
#include "copy/CopyRun.h"
#include "copy/CopyTypes.h"
#include "i18n/StringTable.h"
#include "job/LaunchRule.h"
#include "job/ReportingFailureSink.h"
#include "platform/Path.h"
#include "playlist/ListScan.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tw::job {

// The copy set-up that the main window owns and writes and that the scan and the run read.
struct CopySetup {
    platform::Path playlistPath;              // the last one scanned
    std::vector<copy::RunPlaylist> playlists; // the scanned ones, which the run reads
    std::string playlistField;                // the playlist as shown; cleared by a cancelled scan
    std::string destinationField;             // the destination as shown
    copy::CopyOptions options;
    std::int32_t listCount = 0;  // of all the playlists
    std::int64_t listSizeKB = 0; // of all the playlists
    bool listReady = false;
    std::int64_t freeKB = 0;
    bool destinationReady = false;
};

// One copy as both front ends go through it, a step at a time: choose the destination,
// scan the playlist, apply the launch rule, run, report. It holds the copy set-up, the
// flags of the run (Pause and Cancel write them) and the outcome of the last run; it lives
// as long as the front end, so the automatic-renaming notice comes once per program.
class CopyJob {
public:
    explicit CopyJob(const i18n::StringTable& table);

    const CopySetup& setup() const { return m_setup; }
    copy::CopyOptions& options() { return m_setup.options; }

    // The destination choice: an existing folder on a local drive, whose free space is read.
    // Anything else leaves the destination not ready and names the message to show.
    enum class Destination { Ready, NoFolder, NotLocal };
    Destination chooseDestination(const platform::Path& folder);
    // StrBadFolder or StrLocalOnly for a refused choice; empty for Ready.
    std::string destinationMessage(Destination outcome) const;

    // The list scan of a newly chosen playlist. keepGoing is asked every tenth line with the
    // bytes read (a window pumps its events there); false cancels. A scan that finds no file
    // leaves the list not ready (StrNoFiles is the message); a cancelled one clears the
    // playlist field.
    playlist::ScanResult
    scanPlaylist(const platform::Path& playlist,
                 const std::function<bool(std::uint64_t bytesRead)>& keepGoing = {});
    // The same for a playlist already opened (a pipe read into memory); fieldText gives the
    // folder and drive its relative entries are found in.
    playlist::ScanResult
    scanPlaylist(const playlist::PlaylistSource& source, const std::string& fieldText,
                 const std::function<bool(std::uint64_t bytesRead)>& keepGoing = {});
    // The scan of the playlists of one run (tunewagon-copy takes several), in order: their
    // counts add up, and a file an earlier one names adds its size only once, as the run
    // copies it once. Stops at the first that does not complete or holds no file; returns
    // the results so far, the one that stopped it last. The list is ready when every
    // playlist holds a file.
    std::vector<playlist::ScanResult>
    scanPlaylists(const std::vector<copy::RunPlaylist>& playlists,
                  const std::function<bool(std::uint64_t bytesRead)>& keepGoing = {});

    // The launch rule over the set-up.
    LaunchDecision launchRule() const;

    // The copy run over the set-up. After a run that read the whole playlist the set-up is
    // cleared; after a cancel or a failure it stays. Pause and Cancel go to flags().
    copy::CopyRun::End run(copy::ProgressDisplay& display, copy::RunControl& control,
                           copy::RunQuestions& questions,
                           copy::TickClock clock = copy::systemTickClock());
    copy::RunFlags& flags() { return m_flags; }

    // The outcome of the last run.
    const copy::RunCounters& counters() const { return m_counters; }
    const copy::RunProblems& problems() const { return m_problems; }
    bool cancelled() const { return m_flags.cancelled(); }
    // The playlists the last run wrote into the destination, in the order of their sources.
    const std::vector<platform::Path>& playlistsWritten() const { return m_playlistsWritten; }
    // Why the last run failed; empty when it did not.
    const std::string& failureReason() const { return m_failure; }

    // The copy report of the last run, lines ended by lineBreak.
    std::string report(std::string_view lineBreak = "\r\n") const;

private:
    static bool isOnLocalDrive(const platform::Path& folder);
    // How many files the run takes: the scan's count, or, where the ".mp3" option changed
    // since the scan and names are numbered, a count under the option as it is now.
    std::int64_t filesForRun() const;

    const i18n::StringTable& m_table;
    CopySetup m_setup;
    bool m_countedOnlyMp3 = false; // the ".mp3" option the list count was made under
    // The files the scan found that no earlier playlist of the run named: the ones the run
    // copies and numbers (the list count counts a file each list names).
    std::int64_t m_filesCount = 0;
    copy::RunFlags m_flags;
    copy::RunCounters m_counters;
    copy::RunProblems m_problems;
    std::string m_failure;
    std::vector<platform::Path> m_playlistsWritten;
    bool m_renameNoticePending = true;
    ReportingFailureSink m_failureSink;
};

} // namespace tw::job
