#pragma once

#include <iosfwd>
#include <string>
#include <string_view>

namespace tw::platform {

// A path as the program holds, joins and shows it: "/" separates its parts. A path the
// system or the user's file dialogs gave is taken exactly as it is (on Linux "\" is a
// letter of a name there); a "\" written in a playlist entry is the same separator as "/",
// and fromEntry is the one place that turns it into "/".
class Path {
public:
    Path() = default;
    explicit Path(std::string_view text)
        : m_text(text) {}
    // The text of a playlist entry as a path: each "\" is a separator.
    static Path fromEntry(std::string_view entryText);

    const std::string& str() const { return m_text; }
    // Platform calls take the text as it is.
    operator const std::string&() const { return m_text; }
    bool empty() const { return m_text.empty(); }

    // The text after the last "/" (a ":" belongs to the name).
    std::string fileName() const;
    // The path without its last part; a root keeps its "/". Empty without a separator.
    Path folder() const;

    // The part below the folder, joined with exactly one "/" however either side ends or
    // begins: "/media/usb" / "/Music/a.mp3" and "/" / "Music/a.mp3" alike.
    friend Path operator/(const Path& folder, const Path& part);
    friend Path operator/(const Path& folder, std::string_view part) { return folder / Path(part); }

    friend bool operator==(const Path&, const Path&) = default;
    friend bool operator==(const Path& path, std::string_view text) { return path.m_text == text; }

private:
    std::string m_text;
};

std::ostream& operator<<(std::ostream& out, const Path& path);

// The path made absolute against base (when relative), "." and ".." resolved as text, with
// no trailing "/" (the root stays "/").
Path absolutePath(const Path& path, const Path& base);

} // namespace tw::platform
