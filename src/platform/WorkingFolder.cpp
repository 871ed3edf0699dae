#include "platform/WorkingFolder.h"

#include "platform/FolderListing.h"
#include "platform/FolderLock.h"

#include "platform/TemporaryFile.h"

#include <cerrno>
#include <string_view>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tw::platform {

namespace {

constexpr std::string_view workStem = ".tunewagon-work-";
constexpr std::size_t workUniqueChars = 20;

bool isAsciiAlnum(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Removes the working folders in the open folder that no live run holds, with the program's
// temporary files in them. The caller holds the folder's lock, so that every live run's
// folder is locked by then.
void removeAbandoned(int root) {
    for (const std::string& name : folderEntries(root)) {
        if (!isWorkingFolderName(name))
            continue;
        const FileHandle folder(
            ::openat(root, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!folder.isOpen() || ::flock(folder.get(), LOCK_EX | LOCK_NB) != 0)
            continue; // a live run's, or nothing this program can tell
        for (const std::string& inside : folderEntries(folder.get())) {
            struct stat st {};
            if (isTemporaryFileName(inside) &&
                ::fstatat(folder.get(), inside.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
                S_ISREG(st.st_mode))
                ::unlinkat(folder.get(), inside.c_str(), 0);
        }
        // Anything else in it keeps it there.
        ::unlinkat(root, name.c_str(), AT_REMOVEDIR);
    }
}

int randomWorkName(std::string& name) {
    name = std::string(workStem);
    return appendRandomLetters(name, workUniqueChars);
}

} // namespace

bool isWorkingFolderName(const std::string& name) {
    if (name.size() != workStem.size() + workUniqueChars ||
        name.compare(0, workStem.size(), workStem) != 0)
        return false;
    for (std::size_t i = workStem.size(); i < name.size(); ++i)
        if (!isAsciiAlnum(name[i]))
            return false;
    return true;
}

void removeAbandonedWorkingFolders(const std::string& folder) {
    const FileHandle root(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!root.isOpen())
        return;
    const FolderLock rootLock(root.get());
    if (rootLock.held())
        removeAbandoned(root.get());
}

std::shared_ptr<WorkingFolder> WorkingFolder::make(std::shared_ptr<const FileHandle> root,
                                                   const std::string& rootPath) {
    if (!root || !root->isOpen())
        return nullptr;
    // Another run cleans only while it holds this lock; this one makes and locks its folder
    // while holding it, so that no cleaner sees the folder unlocked.
    const FolderLock rootLock(root->get());
    if (!rootLock.held())
        return nullptr;
    removeAbandoned(root->get());
    for (int attempt = 0; attempt < 4; ++attempt) {
        std::string name;
        if (randomWorkName(name) != 0)
            return nullptr;
        if (::mkdirat(root->get(), name.c_str(), 0700) != 0) {
            if (errno == EEXIST)
                continue;
            return nullptr;
        }
        FileHandle handle(
            ::openat(root->get(), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        struct stat st {};
        if (!handle.isOpen() || ::flock(handle.get(), LOCK_EX | LOCK_NB) != 0 ||
            ::fstat(handle.get(), &st) != 0) {
            // A folder nobody can lock could be taken for an abandoned one.
            handle.close();
            ::unlinkat(root->get(), name.c_str(), AT_REMOVEDIR);
            return nullptr;
        }
        std::shared_ptr<WorkingFolder> folder(new WorkingFolder);
        folder->m_root = std::move(root);
        folder->m_name = name;
        folder->m_path = (rootPath == "/" ? std::string() : rootPath) + "/" + name;
        folder->m_handle = std::make_shared<const FileHandle>(std::move(handle));
        folder->m_device = static_cast<std::uint64_t>(st.st_dev);
        return folder;
    }
    return nullptr;
}

WorkingFolder::~WorkingFolder() {
    // Still locked while it goes; left for a later run to clean if anything is still in it.
    ::unlinkat(m_root->get(), m_name.c_str(), AT_REMOVEDIR);
}

} // namespace tw::platform
