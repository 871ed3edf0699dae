#pragma once

#include <string>
#include <vector>

namespace tw::update {

// What the new-version window shows from an announcement file: line 1 the version, line 2
// its release date, line 3 the product page, lines 4 and on the change notes. Lines missing
// at the end of a short file read as empty. Each line is UTF-8, or Windows-1251 decoded.
struct Announcement {
    std::string version;
    std::string date;
    std::string page;
    std::vector<std::string> notes;

    // The announcement file for the language: "CheckNVTrue.txt" for exactly "Russian",
    // "CheckNVTrueEng.txt" for any other.
    static std::string fileFor(const std::string& folder, const std::string& language);

    // The language's file when it is there, otherwise the other language's file: a check
    // that brought only one variant still shows it.
    static std::string availableFileFor(const std::string& folder, const std::string& language);

    // Nothing read when the file is missing. Throws platform::FileError when it exists and
    // cannot be read.
    static Announcement read(const std::string& path);
};

} // namespace tw::update
