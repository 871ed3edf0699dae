#pragma once

#include <string>
#include <vector>

namespace tw::app {

// A profile (INI) file with the semantics of the Windows profile services: section and key
// names compare without regard to case, a missing or unreadable file reads as empty, a value
// is read trimmed (and without one pair of surrounding quotes), and writing a key changes
// only that key's line. The file is read afresh for every call; nothing is cached.
//
// A write keeps every other line of the file; a missing key is added at the end of its
// section, a missing section at the end of the file. The new content goes to a temporary
// file in the same folder that then replaces the file, so an interrupted write never leaves
// a half-written file behind. Lines are written with CR LF.
class IniFile {
public:
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

    // Each write throws platform::FileError when the file cannot be read or replaced; the
    // file is then left as it was.
    void writeString(const std::string& section, const std::string& key, const std::string& value);
    void writeInteger(const std::string& section, const std::string& key, int value);
    void writeBool(const std::string& section, const std::string& key, bool value);

private:
    std::vector<std::string> readLines(bool forWriting) const;
    void replaceWith(const std::vector<std::string>& lines) const;

    std::string m_path;
};

} // namespace tw::app
