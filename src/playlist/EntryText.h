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

// "[playlist]", "Title", "Length", "#EXT", "NumberOfEntries" or "Version" at the start,
// compared case-sensitively over the keyword's length.
bool isHeaderLine(std::string_view line);

// PLS key removal. A line beginning with "File" adds one to fileLines; the prefix "File" +
// fileLines + "=" is then removed. Any other line is returned whole.
std::string_view removeFileKey(std::string_view line, std::uint64_t& fileLines);

// The local path of a "file:///path" or "file://localhost/path" URI, percent-decoded;
// nothing for any other text (or a URI that decodes to a NUL byte).
std::optional<std::string> localPathOfFileUri(std::string_view raw);

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

} // namespace tw::playlist
