#include "app/MainWindowState.h"

#include "job/SizeText.h"

namespace tw::app {

MainWindowState::MainWindowState(const i18n::StringTable& table)
    : m_table(table)
    , m_job(table) {
    relabel();
}

void MainWindowState::relabel() {
    const job::CopySetup& s = setup();
    m_listCountText = m_table.listCountPrefix + m_countText;
    m_listSizeText = m_table.listSizePrefix + job::sizeText(true, s.listSizeKB, m_table);
    m_freeSpaceText = m_table.freeSpacePrefix + job::sizeText(true, s.freeKB, m_table);
}

MainWindowState::ScanNotice MainWindowState::scanned(const playlist::ScanResult& scan) {
    switch (scan.outcome) {
    case playlist::ScanResult::Outcome::Completed:
        m_countText = std::to_string(scan.count);
        m_listCountText = m_table.StrListCount + " " + std::to_string(scan.count);
        m_listSizeText = m_table.StrListSize + " " + job::sizeText(false, scan.sizeKB, m_table);
        return scan.count > 0 ? ScanNotice::None : ScanNotice::NoFiles;
    case playlist::ScanResult::Outcome::Cancelled:
        m_listCountText = m_table.StrListCount;
        m_listSizeText = m_table.StrListSize;
        return ScanNotice::None;
    case playlist::ScanResult::Outcome::Failed:
        break;
    }
    // The labels keep what they showed before.
    return ScanNotice::FileError;
}

void MainWindowState::destinationChosen(job::CopyJob::Destination outcome) {
    if (outcome == job::CopyJob::Destination::Ready)
        m_freeSpaceText =
            m_table.StrFreeSpace + " " + job::sizeText(false, setup().freeKB, m_table);
}

void MainWindowState::copied(copy::CopyRun::End end) {
    if (end != copy::CopyRun::End::Completed)
        return;
    m_listCountText = m_table.StrListCount + " ";
    m_listSizeText = m_table.StrListSize + " ";
    m_freeSpaceText = m_table.StrFreeSpace + " ";
}

} // namespace tw::app
