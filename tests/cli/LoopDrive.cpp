#include "LoopDrive.h"

#include "platform/ChildProcess.h"

#include <exception>
#include <vector>

namespace tw::test {

namespace {

// Runs a command; empty when it succeeded, else what went wrong.
std::string run(const std::vector<std::string>& argv) {
    try {
        platform::ChildProcess child(argv);
        const platform::ChildOutcome o = child.wait();
        if (o.exited && o.exitCode == 0) {
            return {};
        }
        return argv[0] + " failed: " + o.err;
    } catch (const std::exception& e) {
        return argv[0] + ": " + e.what();
    }
}

} // namespace

LoopDrive::LoopDrive(const std::string& image, const std::string& folder, int sizeKB)
    : m_folder(folder) {
    m_reason = run({"truncate", "-s", std::to_string(sizeKB) + "K", image});
    if (m_reason.empty()) {
        m_reason = run({"/usr/sbin/mkfs.ext4", "-q", "-F", "-m", "0", image});
    }
    if (m_reason.empty()) {
        m_reason = run({"mount", "-o", "loop", image, folder});
    }
    m_mounted = m_reason.empty();
    if (!m_mounted) {
        m_reason = "no loop-mounted drive (needs root and loop devices): " + m_reason;
    }
}

LoopDrive::~LoopDrive() {
    if (m_mounted && !run({"umount", m_folder}).empty()) {
        run({"umount", "-l", m_folder});
    }
}

} // namespace tw::test
