#pragma once

#include "checker/WebAccess.h"

#include <string>
#include <string_view>

namespace tw::checker {

// The site the version files are published on, when the settings name no other.
inline constexpr std::string_view BuiltInSiteBase = "https://tunewagon.net/freshpoll/";

// The checker's own Settings.ini, read line by line (not as an INI file):
//   1: not used;
//   2: the version file's name on the site without ".txt";
//   3 (optional): another site base address, for a mirror;
//   4 (optional): the longest a request may take, in whole seconds.
// Missing lines read as empty; an empty or unusable optional line keeps the default.
struct CheckerSettings {
    std::string baseName;
    std::string siteBase{BuiltInSiteBase}; // always ends in "/"
    Timeouts timeouts;

    // The base name goes into the address with blanks, control characters, "#", "?" and
    // bytes beyond ASCII percent-encoded.
    std::string russianAddress() const { return siteBase + encodedBaseName() + ".txt"; }
    std::string englishAddress() const { return siteBase + encodedBaseName() + "Eng.txt"; }
    std::string encodedBaseName() const;

    // Throws platform::FileError when the file cannot be read, CheckerFailure when the name
    // is not a regular file.
    static CheckerSettings read(const std::string& path);
};

} // namespace tw::checker
