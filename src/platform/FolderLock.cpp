#include "platform/FolderLock.h"

#include <cerrno>
#include <chrono>
#include <thread>

#include <sys/file.h>

namespace tw::platform {

FolderLock::FolderLock(int folder)
    : m_folder(folder) {
    if (folder < 0)
        return;
    for (int attempt = 0; attempt < 200; ++attempt) {
        if (::flock(folder, LOCK_EX | LOCK_NB) == 0) {
            m_held = true;
            return;
        }
        if (errno != EWOULDBLOCK && errno != EINTR)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

FolderLock::~FolderLock() {
    if (m_held)
        ::flock(m_folder, LOCK_UN);
}

} // namespace tw::platform
