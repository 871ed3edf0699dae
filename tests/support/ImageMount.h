#pragma once

#include <string>
#include <vector>

namespace tw::test {

// Runs a command and waits for it; empty when it succeeded, else what went wrong.
std::string runCommand(const std::vector<std::string>& argv);

// A file system made in an image file and mounted on an existing folder for the life of the
// object: ext4 through a loop device (no blocks reserved for root, so that all its free space
// is free to every user), or FAT32 through FUSE (fusefat), as a USB stick would
// be, or exFAT through a loop device and FUSE (exfat-fuse). Needs root, loop devices and FUSE; when
// refused, mounted() is false and reason() says why, so that the test can skip itself.
class ImageMount {
public:
    enum class Kind { Ext4, FuseFat, FuseExfat };

    ImageMount(Kind kind, const std::string& image, const std::string& folder, int sizeMB);
    ~ImageMount();
    ImageMount(const ImageMount&) = delete;
    ImageMount& operator=(const ImageMount&) = delete;

    bool mounted() const { return m_mounted; }
    const std::string& reason() const { return m_reason; }
    // Unmounts now; false when it failed.
    bool unmount();
    // Unmounts and mounts the image again, so that what is read next comes from the image
    // itself, not from what the driver kept in memory; empty when it went well, else why not.
    std::string remount();

private:
    std::string mountCommand();

    Kind m_kind;
    std::string m_image;
    std::string m_folder;
    std::string m_loopDevice; // exFAT's, detached after the unmount
    bool m_mounted = false;
    std::string m_reason;
};

} // namespace tw::test
