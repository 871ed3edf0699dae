#include "app/CopySetup.h"

#include "app/CalSize.h"
#include "platform/FileError.h"
#include "platform/FileSystem.h"

namespace tw::app {

void CopySetup::relabel(const i18n::StringTable& t) {
    label1 = t.Label1Prefix + countText;
    label2 = t.Label2Prefix + CalSize(true, listSizeKB, t);
    label3 = t.Label3Prefix + CalSize(true, destinationFreeKB, t);
}

void CopySetup::choosePlaylist(const std::string& path) {
    playlistPath = path;
    playlistField = path;
}

CopySetup::ScanNotice CopySetup::applyScan(const playlist::ScanResult& scan,
                                           const i18n::StringTable& t) {
    listReady = false;
    listCount = scan.count;
    listSizeKB = scan.sizeKB;
    switch (scan.outcome) {
    case playlist::ScanResult::Outcome::Completed:
        label1 = t.StrListCount + " " + std::to_string(scan.count);
        label2 = t.StrListSize + " " + CalSize(false, scan.sizeKB, t);
        countText = std::to_string(scan.count);
        listReady = scan.count > 0;
        return scan.count > 0 ? ScanNotice::None : ScanNotice::NoFiles;
    case playlist::ScanResult::Outcome::Cancelled:
        // The partial counts stay, but the list is not ready, so they are never used.
        playlistField.clear();
        label1 = t.StrListCount;
        label2 = t.StrListSize;
        return ScanNotice::None;
    case playlist::ScanResult::Outcome::Failed:
        break;
    }
    // The labels keep what they showed before.
    listCount = 0;
    listSizeKB = 0;
    return ScanNotice::FileError;
}

CopySetup::DestinationOutcome CopySetup::chooseDestination(const std::string& folder,
                                                           bool localDrive, std::int64_t freeBytes,
                                                           const i18n::StringTable& t) {
    destinationReady = false;
    if (folder.empty())
        return DestinationOutcome::Empty;
    if (!localDrive)
        return DestinationOutcome::NotLocal;
    destinationField = folder;
    if (!platform::folderExists(folder))
        throw platform::FileError("the folder does not exist", folder, 0);
    destinationFreeKB = freeBytes < 0 ? 0 : freeBytes / 1024;
    label3 = t.StrFreeSpace + " " + CalSize(false, destinationFreeKB, t);
    destinationReady = true;
    return DestinationOutcome::Ready;
}

LaunchDecision CopySetup::launchDecision(const i18n::StringTable& t) const {
    return CheckLaunch(destinationReady, listReady, asManyAsFit, listCount, listSizeKB,
                       destinationFreeKB, t);
}

copy::RunSetup CopySetup::runSetup() const {
    copy::RunSetup setup;
    setup.playlistPath = playlistPath;
    setup.playlistField = playlistField;
    setup.destinationField = destinationField;
    setup.keepStructure = keepStructure;
    setup.transliterate = transliterate;
    setup.onlyMp3 = onlyMp3;
    setup.listSizeKB = listSizeKB;
    return setup;
}

void CopySetup::clearAfterCompletedRun(const i18n::StringTable& t) {
    label3 = t.StrFreeSpace + " ";
    label1 = t.StrListCount + " ";
    label2 = t.StrListSize + " ";
    countText.clear();
    listSizeKB = 0;
    destinationFreeKB = 0;
    playlistField.clear();
    destinationField.clear();
    listReady = false;
    destinationReady = false;
}

} // namespace tw::app
