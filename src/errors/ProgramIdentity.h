#pragma once

#include <string_view>

// The program's name, version and edition: shown by the About window, written into every
// debug-log record, and the name is the marker a language file must carry.
namespace tw {

inline constexpr std::string_view ProgramName = "Tunewagon";
inline constexpr std::string_view ProgramVersion = "1.1.0.lang";
inline constexpr std::string_view ProgramEdition = "Update";

} // namespace tw
