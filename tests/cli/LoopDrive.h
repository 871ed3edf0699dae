#pragma once

#include <string>

namespace tw::test {

// A small ext4 file system in an image file, loop-mounted on an existing folder for the
// life of the object: a real local drive with little free space. Needs root and loop
// devices; when that is refused, mounted() is false and reason() says why.
class LoopDrive {
public:
    LoopDrive(const std::string& image, const std::string& folder, int sizeKB);
    ~LoopDrive();
    LoopDrive(const LoopDrive&) = delete;
    LoopDrive& operator=(const LoopDrive&) = delete;

    bool mounted() const { return m_mounted; }
    const std::string& reason() const { return m_reason; }

private:
    std::string m_folder;
    bool m_mounted = false;
    std::string m_reason;
};

} // namespace tw::test
