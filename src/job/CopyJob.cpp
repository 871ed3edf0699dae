#include "job/CopyJob.h"

#include "errors/ErrorCodes.h"
#include "errors/Guard.h"
#include "job/CopyReport.h"
#include "platform/Drives.h"
#include "platform/FileSystem.h"
#include "platform/WorkingFolder.h"

#include <exception>
#include <functional>
#include <string>
#include <unordered_map>

namespace tw::job {

namespace {

// By source, the playlist of the run that named it first: the run copies and numbers it once.
using FirstNamedIn = std::unordered_map<std::string, std::size_t>;

// Asked of each file the scan of the playlist at `index` counts: whether it was named there
// first, so that its size adds up; such files are counted in `named`.
std::function<bool(const playlist::PlaylistEntry&)>
namedFirstHere(FirstNamedIn& firstNamedIn, std::size_t index, std::int64_t& named) {
    return [&firstNamedIn, &named, index](const playlist::PlaylistEntry& e) {
        const bool first =
            firstNamedIn.try_emplace(copy::sourceKey(e.sourcePath), index).first->second == index;
        named += first ? 1 : 0;
        return first;
    };
}

} // namespace

CopyJob::CopyJob(const i18n::StringTable& table)
    : m_table(table) {}

// The local-drive test has a guard of its own: a failure inside it is reported under its
// code and the folder counts as not local.
bool CopyJob::isOnLocalDrive(const platform::Path& folder) {
    try {
        return platform::isLocalDrive(folder);
    } catch (...) {
        errors::reportCurrentException(errors::codes::LocalDriveTest);
    }
    return false;
}

CopyJob::Destination CopyJob::chooseDestination(const platform::Path& folder) {
    m_setup.destinationReady = false;
    if (folder.empty() || !platform::folderExists(folder))
        return Destination::NoFolder;
    if (!isOnLocalDrive(folder))
        return Destination::NotLocal;
    m_setup.destinationField = folder.str();
    // A killed run's copies in its working folder would count against the free space, and
    // refuse the very run that would clean them away.
    platform::removeAbandonedWorkingFolders(folder.str());
    const std::int64_t free = platform::freeBytes(folder);
    m_setup.freeKB = free < 0 ? 0 : free / 1024;
    m_setup.destinationReady = true;
    return Destination::Ready;
}

std::string CopyJob::destinationMessage(Destination outcome) const {
    switch (outcome) {
    case Destination::NoFolder:
        return m_table.StrBadFolder;
    case Destination::NotLocal:
        return m_table.StrLocalOnly;
    case Destination::Ready:
        break;
    }
    return {};
}

playlist::ScanResult
CopyJob::scanPlaylist(const platform::Path& playlist,
                      const std::function<bool(std::uint64_t bytesRead)>& keepGoing) {
    return scanPlaylist(playlist::PlaylistSource(playlist.str()), playlist.str(), keepGoing);
}

playlist::ScanResult
CopyJob::scanPlaylist(const playlist::PlaylistSource& source, const std::string& fieldText,
                      const std::function<bool(std::uint64_t bytesRead)>& keepGoing) {
    return scanPlaylists({{source, fieldText}}, keepGoing).back();
}

std::vector<playlist::ScanResult>
CopyJob::scanPlaylists(const std::vector<copy::RunPlaylist>& playlists,
                       const std::function<bool(std::uint64_t bytesRead)>& keepGoing) {
    m_setup.playlists.clear();
    m_setup.listCount = 0;
    m_setup.listSizeKB = 0;
    m_setup.listReady = false;
    m_countedOnlyMp3 = m_setup.options.onlyMp3;
    m_filesCount = 0;
    FirstNamedIn firstNamedIn;
    std::int64_t namedFirst = 0;
    std::vector<playlist::ScanResult> results;
    for (const copy::RunPlaylist& list : playlists) {
        std::function<bool(const playlist::PlaylistEntry&)> sizeCounts;
        if (playlists.size() > 1)
            sizeCounts = namedFirstHere(firstNamedIn, results.size(), namedFirst);
        m_setup.playlistPath = platform::Path(list.source.path());
        m_setup.playlists.push_back(list);
        m_setup.playlistField = list.field;
        const playlist::ScanResult& scan = results.emplace_back(playlist::scanPlaylist(
            list.source, list.field, m_setup.options.onlyMp3, keepGoing, {}, sizeCounts));
        switch (scan.outcome) {
        case playlist::ScanResult::Outcome::Completed:
            m_setup.listCount += scan.count;
            m_setup.listSizeKB += scan.sizeKB;
            if (scan.count == 0)
                return results;
            break;
        case playlist::ScanResult::Outcome::Cancelled:
            // The partial counts stay; the list is not ready and the field is empty.
            m_setup.listCount += scan.count;
            m_setup.listSizeKB += scan.sizeKB;
            m_setup.playlistField.clear();
            return results;
        case playlist::ScanResult::Outcome::Failed:
            return results;
        }
    }
    m_setup.listReady = !playlists.empty();
    m_filesCount = playlists.size() > 1 ? namedFirst : m_setup.listCount;
    return results;
}

LaunchDecision CopyJob::launchRule() const {
    return decideLaunch(m_setup.destinationReady, m_setup.listReady, m_setup.options.asManyAsFit,
                        m_setup.listCount, m_setup.listSizeKB, m_setup.freeKB, m_table);
}

copy::CopyRun::End CopyJob::run(copy::ProgressDisplay& display, copy::RunControl& control,
                                copy::RunQuestions& questions, copy::TickClock clock) {
    copy::RunSetup setup;
    setup.playlists = m_setup.playlists;
    setup.destination = platform::Path(m_setup.destinationField);
    setup.options = m_setup.options;
    setup.listSizeKB = m_setup.listSizeKB;
    setup.fileCount = filesForRun();

    const copy::RunContext context{
        display, control, questions, m_flags, m_table, m_renameNoticePending, m_failureSink};
    copy::CopyRun run(setup, context, std::move(clock));
    copy::CopyRun::End end = copy::CopyRun::End::Failed;
    m_failure.clear();
    try {
        end = run.run();
        if (end == copy::CopyRun::End::Failed)
            m_failure = run.failureReason();
    } catch (const std::exception& e) {
        // The run's own failure could not even be written to the debug log; the counters
        // still tell what was done.
        m_failure = e.what();
    }
    m_counters = run.counters();
    m_problems = run.problems();
    m_playlistsWritten = run.playlistsWritten();

    if (end == copy::CopyRun::End::Completed) {
        // The whole playlist was read: the set-up starts afresh, options aside.
        const copy::CopyOptions options = m_setup.options;
        m_setup = CopySetup{};
        m_setup.options = options;
    }
    return end;
}

std::int64_t CopyJob::filesForRun() const {
    // Numbers narrower than the run's count would put "10 - " before "2 - " on a player that
    // sorts by name: the window does not count the list again when the option changes.
    // A file that two playlists name is copied and numbered once.
    if (!m_setup.options.number || m_setup.options.onlyMp3 == m_countedOnlyMp3)
        return m_filesCount;
    const std::vector<copy::RunPlaylist>& lists = m_setup.playlists;
    FirstNamedIn firstNamedIn;
    std::int64_t namedFirst = 0;
    std::int64_t count = 0;
    for (std::size_t i = 0; i < lists.size(); ++i) {
        const playlist::ScanResult scan = playlist::scanPlaylist(
            lists[i].source, lists[i].field, m_setup.options.onlyMp3, {}, {},
            lists.size() > 1 ? namedFirstHere(firstNamedIn, i, namedFirst) : nullptr);
        if (scan.outcome != playlist::ScanResult::Outcome::Completed)
            return m_filesCount;
        count += scan.count;
    }
    return lists.size() > 1 ? namedFirst : count;
}

std::string CopyJob::report(std::string_view lineBreak) const {
    std::string report = buildCopyReport(m_counters, cancelled(), m_table, lineBreak);
    // One line for each playlist written, after one blank line.
    if (!m_playlistsWritten.empty())
        report += lineBreak;
    for (const platform::Path& written : m_playlistsWritten)
        report += std::string(5, ' ') + m_table.StrReportPlaylist + " " + written.str() +
                  std::string(lineBreak);
    return report;
}

} // namespace tw::job
