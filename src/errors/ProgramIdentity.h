#pragma once

#include <string_view>

// The build's version number (the project's VERSION), given by the build.
#ifndef TW_VERSION_NUMBER
#error "TW_VERSION_NUMBER must be defined by the build"
#endif

// The program's name, version and edition: shown by the About window, written into every
// debug-log record, and the name is the marker a language file must carry. The site and the
// author's address: shown by the About window; error reports are mailed to the author.
namespace tw {

inline constexpr std::string_view ProgramName = "Tunewagon";
inline constexpr std::string_view ProgramVersion = TW_VERSION_NUMBER ".lang";
inline constexpr std::string_view ProgramEdition = "Update";

inline constexpr std::string_view ProgramSite = "tunewagon.net";
inline constexpr std::string_view AuthorAddress = "author@tunewagon.net";

} // namespace tw
