#include "support/ImageMount.h"

#include "support/ChildProcess.h"

#include <chrono>
#include <exception>
#include <filesystem>
#include <system_error>
#include <thread>

namespace tw::test {

std::string runCommand(const std::vector<std::string>& argv) {
    try {
        ChildProcess child(argv);
        const ChildOutcome o = child.wait();
        if (o.exited && o.exitCode == 0)
            return {};
        return argv[0] + " failed (" + std::to_string(o.exitCode) + "): " + o.err;
    } catch (const std::exception& e) {
        return argv[0] + ": " + e.what();
    }
}

namespace {

// Runs a command and hands back its standard output; empty output and the reason on failure.
std::string commandOutput(const std::vector<std::string>& argv, std::string& reason) {
    try {
        ChildProcess child(argv);
        const ChildOutcome o = child.wait();
        if (o.exited && o.exitCode == 0) {
            std::string out = o.out;
            while (!out.empty() && (out.back() == '\n' || out.back() == ' '))
                out.pop_back();
            return out;
        }
        reason = argv[0] + " failed (" + std::to_string(o.exitCode) + "): " + o.err;
    } catch (const std::exception& e) {
        reason = argv[0] + ": " + e.what();
    }
    return {};
}

// True while a process (a FUSE driver that has not yet ended after its unmount) holds the
// file open.
bool heldOpen(const std::string& file) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path wanted = fs::canonical(file, ec);
    if (ec)
        return false;
    for (const fs::directory_entry& process : fs::directory_iterator("/proc", ec)) {
        std::error_code fdError;
        for (const fs::directory_entry& fd :
             fs::directory_iterator(process.path() / "fd", fdError)) {
            std::error_code linkError;
            if (fs::read_symlink(fd.path(), linkError) == wanted)
                return true;
        }
    }
    return false;
}

} // namespace

ImageMount::ImageMount(Kind kind, const std::string& image, const std::string& folder, int sizeMB)
    : m_kind(kind)
    , m_image(image)
    , m_folder(folder) {
    m_reason = runCommand({"truncate", "-s", std::to_string(sizeMB) + "M", image});
    if (kind == Kind::FuseExfat) {
        // exfat-fuse wants a block device.
        if (m_reason.empty())
            m_reason = runCommand({"/usr/sbin/mkfs.exfat", image});
        if (m_reason.empty())
            m_loopDevice = commandOutput({"losetup", "-f", "--show", image}, m_reason);
        if (m_reason.empty())
            m_reason = mountCommand();
        m_mounted = m_reason.empty();
        if (!m_mounted) {
            if (!m_loopDevice.empty())
                runCommand({"losetup", "-d", m_loopDevice});
            m_reason = "cannot mount an exFAT image (needs root, loop devices, FUSE, exfatprogs "
                       "and exfat-fuse): " +
                       m_reason;
        }
        return;
    }
    if (m_reason.empty())
        m_reason = kind == Kind::Ext4
                       ? runCommand({"/usr/sbin/mkfs.ext4", "-q", "-F", "-m", "0", image})
                       : runCommand({"/usr/sbin/mkfs.fat", "-F", "32", image});
    if (m_reason.empty())
        m_reason = mountCommand();
    m_mounted = m_reason.empty();
    if (!m_mounted)
        m_reason = "cannot mount an image (needs root, loop devices, FUSE, dosfstools and "
                   "fusefat): " +
                   m_reason;
}

std::string ImageMount::mountCommand() {
    switch (m_kind) {
    case Kind::FuseExfat:
        return runCommand({"/sbin/mount.exfat-fuse", m_loopDevice, m_folder});
    case Kind::Ext4:
        // A journal commit every second, so that a test soon sees what a crash would leave.
        return runCommand({"mount", "-o", "loop,commit=1", m_image, m_folder});
    case Kind::FuseFat:
        break;
    }
    return runCommand({"fusefat", "-o", "rw+", m_image, m_folder});
}

std::string ImageMount::remount() {
    if (!m_mounted)
        return "not mounted";
    if (std::string failed = runCommand({"umount", m_folder}); !failed.empty())
        return failed;
    // The image is read again only once the driver that wrote it is gone.
    const std::string& held = m_kind == Kind::FuseExfat ? m_loopDevice : m_image;
    for (int wait = 0; wait < 250 && heldOpen(held); ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    std::string failed = mountCommand();
    m_mounted = failed.empty();
    return failed;
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
    if (!m_loopDevice.empty())
        runCommand({"losetup", "-d", m_loopDevice});
    return true;
}

} // namespace tw::test
