#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The line rules shared by the playlist reader and the list scan.
namespace tw::playlist {

inline bool isSeparator(char c) {
    return c == '\\' || c == '/';
}

// A path that begins with a separator; anything else is taken relative to a folder.
inline bool isAbsolutePath(std::string_view path) {
    return !path.empty() && isSeparator(path.front());
}

// A line that is no entry: an empty line, a comment ("#", the M3U "#EXTM3U" and "#EXTINF"
// among them), or a PLS header in its real form: "[playlist]", "TitleN=", "LengthN=",
// "NumberOfEntries=" or "Version=", N being digits and the keys taken in any letter case.
// So "Titles/a.mp3" or "Length of Days.mp3" is an entry.
bool isNonEntryLine(std::string_view line);

// PLS key removal: "File" in any letter case, digits and "=" at the start are removed,
// whatever the number; any other line is returned whole.
std::string_view removeFileKey(std::string_view line);

// The local path of a "file:///path" or "file://localhost/path" URI, percent-decoded;
// nothing for any other text (or a URI that decodes to a NUL byte).
std::optional<std::string> localPathOfFileUri(std::string_view raw);

// The text with its "%XX" escapes decoded (a "%" that starts no escape stays as written), or
// nothing when an escape decodes to a NUL byte, which no path can hold.
std::optional<std::string> percentDecoded(std::string_view text);

// Raw entry bytes to the entry text: a file URI becomes its local path; the bytes are then
// taken as UTF-8 when valid and as Windows-1251 otherwise.
std::string entryText(std::string_view raw);

// The part the copy keeps below the destination folder: the drive ("C:") dropped, a
// leading "/" added when missing, "." and ".." components dropped.
std::string relativePartOf(std::string_view entry);

// The entry text names something no system call can look up (an embedded NUL byte would
// silently cut the path short).
inline bool unusablePath(std::string_view path) {
    return path.find('\0') != std::string_view::npos;
}

// Joins a relative text to the folder it is taken against; an absolute text stays.
std::string locatedIn(const std::string& folder, const std::string& path);

// The path below a folder: exactly one separator between the two, whatever separators the
// path begins with or the folder ends with ("/m/" and "\\a.mp3" give "/m/a.mp3").
std::string joinedBelow(std::string_view folder, std::string_view path);

} // namespace tw::playlist
