#include "app/MainWindowState.h"

#include "app/CalSize.h"

namespace tw::app {

MainWindowState::MainWindowState(const i18n::StringTable& table)
    : m_table(table)
    , m_job(table) {
    relabel();
}

void MainWindowState::relabel() {
    const CopySetup& s = setup();
    m_label1 = m_table.Label1Prefix + s.countText;
    m_label2 = m_table.Label2Prefix + CalSize(true, s.listSizeKB, m_table);
    m_label3 = m_table.Label3Prefix + CalSize(true, s.freeKB, m_table);
}

MainWindowState::ScanNotice MainWindowState::scanned(const playlist::ScanResult& scan) {
    switch (scan.outcome) {
    case playlist::ScanResult::Outcome::Completed:
        m_label1 = m_table.StrListCount + " " + std::to_string(scan.count);
        m_label2 = m_table.StrListSize + " " + CalSize(false, scan.sizeKB, m_table);
        return scan.count > 0 ? ScanNotice::None : ScanNotice::NoFiles;
    case playlist::ScanResult::Outcome::Cancelled:
        m_label1 = m_table.StrListCount;
        m_label2 = m_table.StrListSize;
        return ScanNotice::None;
    case playlist::ScanResult::Outcome::Failed:
        break;
    }
    // The labels keep what they showed before.
    return ScanNotice::FileError;
}

void MainWindowState::destinationChosen(CopyJob::Destination outcome) {
    if (outcome == CopyJob::Destination::Ready)
        m_label3 = m_table.StrFreeSpace + " " + CalSize(false, setup().freeKB, m_table);
}

void MainWindowState::copied(copy::CopyPlayList::End end) {
    if (end != copy::CopyPlayList::End::Completed)
        return;
    m_label1 = m_table.StrListCount + " ";
    m_label2 = m_table.StrListSize + " ";
    m_label3 = m_table.StrFreeSpace + " ";
}

} // namespace tw::app
