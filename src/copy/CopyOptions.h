#pragma once

namespace tw::copy {

// The four choices of a copy, as the settings keep them, the main window's check boxes show
// them, the command line sets them and the run reads them.
struct CopyOptions {
    bool keepStructure = true; // below the destination as below the playlist's root
    bool transliterate = false;
    bool onlyMp3 = false;
    bool asManyAsFit = false; // start even when the list does not fit the free space

    friend bool operator==(const CopyOptions&, const CopyOptions&) = default;
};

} // namespace tw::copy
