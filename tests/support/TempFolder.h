#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tw::test {

// A fresh folder below the system's temporary folder, removed with everything in it when
// the object goes.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return m_path; }
    // path() + "/" + relative
    std::string operator/(std::string_view relative) const;

private:
    std::string m_path;
};

// Writes bytes to a file, creating missing folders; fails the test on error.
void writeFile(const std::string& path, std::string_view bytes);

// Reads a whole file; empty when it cannot be read.
std::string readFile(const std::string& path);

} // namespace tw::test
