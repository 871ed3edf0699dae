#pragma once

#include "copy/CopyOptions.h"
#include "job/IniFile.h"

#include <string>

namespace tw::job {

// The user's choices kept in Settings.ini, section [Settings], between runs. The members
// hold the defaults that a missing key (or a value that is not a number) takes.
struct Settings {
    int Top = 0;
    int Left = 0;
    copy::CopyOptions options; // keys structure, translit, onlymp3, max
    bool Freshpoll = false;
    std::string Language = "Russian";
    // After the keys above: writeplaylist, skipsame and number (options.writePlaylist,
    // skipSame, number); an older file without them reads as off.

    // Reads the eleven keys in their order; a missing file gives all defaults.
    static Settings read(const IniFile& ini);
    // Writes the eleven keys in the same order and saves the file once; throws
    // platform::FileError.
    void write(IniFile& ini) const;
};

} // namespace tw::job
