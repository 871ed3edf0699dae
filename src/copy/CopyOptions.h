#pragma once

#include <string>

namespace tw::copy {

// The choices of a copy, as the settings keep them, the main window's check boxes show
// them, the command line sets them and the run reads them.
struct CopyOptions {
    bool keepStructure = true; // below the destination as below the playlist's root
    bool transliterate = false;
    bool onlyMp3 = false;
    bool asManyAsFit = false; // start even when the list does not fit the free space
    // Off by default, so that a copy without them goes as it always went:
    bool writePlaylist = false; // a playlist of the copied files in the destination folder
    std::string playlistName;   // its file name; empty: the source's base name + ".m3u8"
    bool skipSame = false;      // a target of the source's size and last-write time is identical
    // Each file's name starts with its place in the run ("007 - "), for players that play a
    // folder by name.
    bool number = false;

    friend bool operator==(const CopyOptions&, const CopyOptions&) = default;
};

} // namespace tw::copy
