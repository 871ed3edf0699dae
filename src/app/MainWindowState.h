#pragma once

#include "i18n/StringTable.h"
#include "job/CopyJob.h"
#include "playlist/ListScan.h"

#include <string>

namespace tw::app {

// What the main window shows, outside the window: the copy job with its set-up, the texts
// of the three information labels, and the busy flag. The window turns clicks into calls
// here and shows the result.
class MainWindowState {
public:
    // What the user has to be told after a scan.
    enum class ScanNotice { None, NoFiles, FileError };

    explicit MainWindowState(const i18n::StringTable& table);

    job::CopyJob& job() { return m_job; }
    const job::CopyJob& job() const { return m_job; }
    const job::CopySetup& setup() const { return m_job.setup(); }

    // Set while a handler of the main window has a modal window or box open.
    bool busy() const { return m_busy; }
    void setBusy(bool busy) { m_busy = busy; }

    const std::string& listCountText() const { return m_listCountText; }
    const std::string& listSizeText() const { return m_listSizeText; }
    const std::string& freeSpaceText() const { return m_freeSpaceText; }
    // The count of the last completed scan, as the list-count label shows it after a change
    // of language; empty before any.
    const std::string& countText() const { return m_countText; }

    // The labels with the table's prefixes and what is known so far (zero sizes as empty
    // texts), as after start-up or a change of language.
    void relabel();

    // The labels after a scan of the playlist; what the user has to be told.
    ScanNotice scanned(const playlist::ScanResult& scan);

    // the free-space label after the destination choice.
    void destinationChosen(job::CopyJob::Destination outcome);

    // The labels after a copy run: bare captions when it read the whole playlist.
    void copied(copy::CopyRun::End end);

private:
    const i18n::StringTable& m_table;
    job::CopyJob m_job;
    std::string m_listCountText, m_listSizeText, m_freeSpaceText;
    std::string m_countText;
    bool m_busy = false;
};

} // namespace tw::app
