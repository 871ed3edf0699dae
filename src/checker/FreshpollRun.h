#pragma once

#include <string>

namespace tw::checker {

// The hand-off files the checker leaves in its folder.
inline constexpr const char* CheckNVFalse = "CheckNVFalse";
inline constexpr const char* CheckNVTrue = "CheckNVTrue.txt";
inline constexpr const char* CheckNVTrueEng = "CheckNVTrueEng.txt";
inline constexpr const char* CheckReady = "CheckReady";

// One check, in the checker's folder: reads Settings.ini, removes the answer of an earlier
// check, asks the site whether the version file exists, writes each announcement file
// (CheckNVTrue.txt, CheckNVTrueEng.txt) that arrived whole, CheckNVFalse when none did, and
// CheckReady last of all. A variant that cannot be fetched or is no announcement is left
// out. A failure of the checker's own files (no settings file, a file that cannot be
// written) throws and leaves the later files unwritten; an announcement file is there whole
// or not at all.
void runCheck(const std::string& folder);

// The same with the settings file read from one place and the answers written in another
// (an installation reads its settings from the shipped data and answers in the user's
// folder).
void runCheck(const std::string& settingsFile, const std::string& answerFolder);

} // namespace tw::checker
