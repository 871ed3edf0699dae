#pragma once

namespace tw::platform {

// Holds the exclusive lock (flock) of an open folder for its life, so that every copy of
// this program that takes it there works in that folder one at a time. A lock held
// elsewhere is waited for about two seconds, then given up, as is a folder that cannot be
// locked at all (no locks on its file system, no folder): see held().
class FolderLock {
public:
    explicit FolderLock(int folder);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    bool held() const { return m_held; }

private:
    int m_folder;
    bool m_held = false;
};

} // namespace tw::platform
