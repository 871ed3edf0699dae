#pragma once

#include "app/LaunchRule.h"
#include "copy/CopyTypes.h"
#include "i18n/StringTable.h"
#include "playlist/ListScan.h"

#include <cstdint>
#include <string>

namespace tw::app {

// The copy set-up that the main window owns and shows: the playlist and the destination
// chosen, the four options, what the list scan counted, the destination's free space, and
// the texts of the three information labels. The window turns clicks into calls here and
// shows the result; the list scan and the copy run read it.
struct CopySetup {
    // What the user has to be told after a scan.
    enum class ScanNotice { None, NoFiles, FileError };
    // What the destination choice decided.
    enum class DestinationOutcome { Empty, NotLocal, Ready };

    std::string playlistPath;
    std::string playlistField;    // LabeledEdit1
    std::string destinationField; // LabeledEdit2, without trailing separator

    bool keepStructure = true; // CheckBox1
    bool transliterate = false;
    bool onlyMp3 = false;
    bool asManyAsFit = false; // CheckBox4

    std::int32_t listCount = 0;
    std::int64_t listSizeKB = 0;
    bool listReady = false;
    std::string countText;

    std::int64_t destinationFreeKB = 0;
    bool destinationReady = false;

    // Set while a handler of the main window has a modal window or box open.
    bool busy = false;

    // The information labels Label1 to Label3.
    std::string label1, label2, label3;

    // Shows the labels with the prefixes of the table and what is known so far (zero
    // sizes as empty texts), as after start-up or a change of language.
    void relabel(const i18n::StringTable& t);

    // A playlist was confirmed in the open dialog: store and show it.
    void choosePlaylist(const std::string& path);

    // Takes in the result of the list scan of the playlist.
    ScanNotice applyScan(const playlist::ScanResult& scan, const i18n::StringTable& t);

    // Takes in the folder the folder browser gave (empty: none). localDrive is the local-drive
    // test's verdict on that folder; freeBytes the bytes available there (-1: not known).
    // Throws platform::FileError when the folder does not exist (any more): the folder then
    // shows, but the destination is not ready.
    DestinationOutcome chooseDestination(const std::string& folder, bool localDrive,
                                         std::int64_t freeBytes, const i18n::StringTable& t);

    // The launch rule over the set-up.
    LaunchDecision launchDecision(const i18n::StringTable& t) const;

    // What the copy run reads.
    copy::RunSetup runSetup() const;

    // A copy run read the whole playlist: everything chosen and counted is cleared, the
    // labels show their bare captions. The options stay.
    void clearAfterCompletedRun(const i18n::StringTable& t);
};

} // namespace tw::app
