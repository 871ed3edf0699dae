#include "ImageMount.h"

#include "platform/ChildProcess.h"

#include <exception>

namespace tw::test {

std::string runCommand(const std::vector<std::string>& argv) {
    try {
        platform::ChildProcess child(argv);
        const platform::ChildOutcome o = child.wait();
        if (o.exited && o.exitCode == 0)
            return {};
        return argv[0] + " failed (" + std::to_string(o.exitCode) + "): " + o.err;
    } catch (const std::exception& e) {
        return argv[0] + ": " + e.what();
    }
}

ImageMount::ImageMount(Kind kind, const std::string& image, const std::string& folder, int sizeMB)
    : m_folder(folder) {
    m_reason = runCommand({"truncate", "-s", std::to_string(sizeMB) + "M", image});
    if (m_reason.empty())
        m_reason = kind == Kind::Ext4 ? runCommand({"/usr/sbin/mkfs.ext4", "-q", "-F", image})
                                      : runCommand({"/usr/sbin/mkfs.fat", "-F", "32", image});
    // A journal commit every second, so that a test soon sees what a crash would leave.
    if (m_reason.empty())
        m_reason = kind == Kind::Ext4 ? runCommand({"mount", "-o", "loop,commit=1", image, folder})
                                      : runCommand({"fusefat", "-o", "rw+", image, folder});
    m_mounted = m_reason.empty();
    if (!m_mounted)
        m_reason = "cannot mount an image (needs root, loop devices, FUSE, dosfstools and "
                   "fusefat): " +
                   m_reason;
}

ImageMount::~ImageMount() {
    unmount();
}

bool ImageMount::unmount() {
    if (!m_mounted)
        return true;
    if (!runCommand({"umount", m_folder}).empty() &&
        !runCommand({"umount", "-l", m_folder}).empty())
        return false;
    m_mounted = false;
    return true;
}

} // namespace tw::test
