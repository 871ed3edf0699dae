#include "job/CopyJob.h"

#include "errors/ErrorCodes.h"
#include "errors/Guard.h"
#include "job/CopyReport.h"
#include "platform/Drives.h"
#include "platform/FileSystem.h"

#include <exception>

namespace tw::job {

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
    m_setup.playlistPath = platform::Path(source.path());
    m_setup.playlist = source;
    m_setup.playlistField = fieldText;
    m_setup.listReady = false;
    m_setup.listCount = 0;
    m_setup.listSizeKB = 0;
    m_countedOnlyMp3 = m_setup.options.onlyMp3;
    const playlist::ScanResult scan =
        playlist::scanPlaylist(source, fieldText, m_setup.options.onlyMp3, keepGoing);
    switch (scan.outcome) {
    case playlist::ScanResult::Outcome::Completed:
        m_setup.listCount = scan.count;
        m_setup.listSizeKB = scan.sizeKB;
        m_setup.listReady = scan.count > 0;
        break;
    case playlist::ScanResult::Outcome::Cancelled:
        // The partial counts stay; the list is not ready and the field is empty.
        m_setup.listCount = scan.count;
        m_setup.listSizeKB = scan.sizeKB;
        m_setup.playlistField.clear();
        break;
    case playlist::ScanResult::Outcome::Failed:
        break;
    }
    return scan;
}

LaunchDecision CopyJob::launchRule() const {
    return decideLaunch(m_setup.destinationReady, m_setup.listReady, m_setup.options.asManyAsFit,
                        m_setup.listCount, m_setup.listSizeKB, m_setup.freeKB, m_table);
}

copy::CopyRun::End CopyJob::run(copy::ProgressDisplay& display, copy::RunControl& control,
                                copy::RunQuestions& questions, copy::TickClock clock) {
    copy::RunSetup setup;
    setup.playlist = m_setup.playlist;
    setup.playlistField = m_setup.playlistField;
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
    m_playlistWritten = run.playlistWritten();

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
    if (!m_setup.options.number || m_setup.options.onlyMp3 == m_countedOnlyMp3)
        return m_setup.listCount;
    const playlist::ScanResult scan =
        playlist::scanPlaylist(m_setup.playlist, m_setup.playlistField, m_setup.options.onlyMp3);
    return scan.outcome == playlist::ScanResult::Outcome::Completed ? scan.count
                                                                    : m_setup.listCount;
}

std::string CopyJob::report(std::string_view lineBreak) const {
    std::string report = buildCopyReport(m_counters, cancelled(), m_table, lineBreak);
    if (!m_playlistWritten.empty())
        report += std::string(lineBreak) + std::string(5, ' ') + m_table.StrReportPlaylist + " " +
                  m_playlistWritten.str() + std::string(lineBreak);
    return report;
}

} // namespace tw::job
