#pragma once

namespace tw::i18n {

// The main-window captions that a language sets (lines 6 to 22, 93, 100, 101 and 114 of a
// language file).
enum class MainCaption {
    PlaylistLabel,       // 6
    DestinationLabel,    // 7
    ChoosePlaylist,      // 8
    ChooseDestination,   // 9
    About,               // 10
    StartCopy,           // 11
    Exit,                // 12
    KeepStructure,       // 13
    Transliterate,       // 14
    OnlyMp3,             // 15
    AsManyAsFit,         // 16
    ListCount,           // 17: prefix and the file-count text
    ListSize,            // 18: prefix and the size of the listed files
    FreeSpace,           // 19: prefix and the free space of the destination
    PlaylistFilter,      // 20, 21: "desc|*.m3u;*.pls|desc|*.*"
    PlaylistDialogTitle, // 22
    CheckNewVersion,     // 93
    WritePlaylist,       // 100
    SkipSame,            // 101
    Number               // 114
};

} // namespace tw::i18n
