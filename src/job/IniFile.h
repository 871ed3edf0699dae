#pragma once

#include "platform/File.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tw::job {

// A profile (INI) file with the semantics of the Windows profile services: section and key
// names compare without regard to case, a missing or unreadable file reads as empty, a value
// is read trimmed (and without one pair of surrounding quotes).
//
// The file is read once, when the object is made: LF, CR LF and a lone CR end a line, and a
// line is held up to maxLineBytes (a longer one reads as no key, so its key keeps its
// default). Only the first maxLines lines are looked at; the rest is carried along as it is.
// The file is opened without following a link, and only a regular file is read.
//
// The writes change the lines held; save() puts them on disk in one go. Every line that no
// write changed goes back byte for byte, line end included; a missing key is added at the end
// of its section, a missing section at the end of the file, both with CR LF. The new content
// goes to a temporary file of a unique name in the same folder that then replaces the file
// with the permission bits of the file it replaces, so an interrupted or concurrent save never
// leaves a half-written or mixed file behind.
class IniFile {
public:
    static constexpr std::size_t maxLineBytes = 4096;
    static constexpr std::size_t maxLines = 4096;

    explicit IniFile(std::string path);

    const std::string& path() const { return m_path; }

    // The value of the key, or def when the section or the key is missing.
    std::string readString(const std::string& section, const std::string& key,
                           const std::string& def) const;
    // The value as a decimal integer (optional sign, nothing else); def when the key is
    // missing or its value is not such a number or does not fit.
    int readInteger(const std::string& section, const std::string& key, int def) const;
    // True when the value is a non-zero integer; def when readInteger would give its default.
    bool readBool(const std::string& section, const std::string& key, bool def) const;

    void writeString(const std::string& section, const std::string& key, const std::string& value);
    void writeInteger(const std::string& section, const std::string& key, int value);
    void writeBool(const std::string& section, const std::string& key, bool value);

    // Replaces the file with the lines held. Throws platform::FileError when the file could
    // not be read when it was loaded (its other lines would be lost) or cannot be replaced;
    // the file is then left as it was.
    void save();

private:
    struct Line {
        std::string text;           // without its line end, at most maxLineBytes
        std::string end;            // "\r\n", "\n", "\r" or "" (the last line of the file)
        std::uint64_t offset = 0;   // where the line starts in the file read
        std::uint64_t rawBytes = 0; // its length there, line end included
        bool cut = false;           // longer than maxLineBytes: only its start is held
        bool fromFile = false;      // unchanged since it was read
        bool endAdded = false;      // the file's last line, given a line end for a new line
        bool afterRest = false;     // a new section that goes after the lines not looked at
    };

    void load();
    Line& insertLine(std::size_t at, std::string text);

    std::string m_path;
    std::vector<Line> m_lines;
    std::optional<platform::InputFile> m_source; // the file read, for cut lines and the rest
    std::uint64_t m_restOffset = 0;              // bytes past the lines held
    bool m_hasRest = false;
    int m_readError = 0;
};

} // namespace tw::job
