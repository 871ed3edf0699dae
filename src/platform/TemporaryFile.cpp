#include "platform/TemporaryFile.h"

#include "platform/FolderStream.h"

#include "platform/FaultInjection.h"
#include "platform/FolderLock.h"
#include "platform/WorkingFolder.h"

#include <cerrno>
#include <cstddef>
#include <ctime>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <utility>

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tw::platform {

namespace {

// The longest name most Linux file systems accept for one path component.
constexpr std::size_t maxNameBytes = 255;
// A hidden name ends in ".tunewagon-" and 20 random letters and digits, which nobody types.
// Earlier versions used 6 (from mkostemp); such names are still cleaned up, but only where
// they hold a capital or a digit, so that a word such as ".diary.tunewagon-backup" is not
// taken for one.
constexpr std::string_view suffixStem = ".tunewagon-";
constexpr std::size_t uniqueChars = 20;
constexpr std::size_t oldUniqueChars = 6;
constexpr std::size_t suffixBytes = 11 + uniqueChars; // suffixStem and the random part
// A hidden file of another process is taken as abandoned only when nothing has been written
// to it for this long (a copy in progress writes, or holds its lock).
constexpr std::time_t abandonedAfterSeconds = 10 * 60;

// Cuts a UTF-8 text to at most maxBytes without splitting a character.
std::string cutUtf8(const std::string& text, std::size_t maxBytes) {
    if (text.size() <= maxBytes)
        return text;
    std::size_t end = maxBytes;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return text.substr(0, end);
}

bool isAsciiAlnum(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// The open file still has a name: a cleaner of another run may have removed it between its
// creation and the lock. Only that cleaner removes these names, so a link count above zero
// means the name is still ours.
bool stillNamed(int fd, struct stat& st) {
    return ::fstat(fd, &st) == 0 && st.st_nlink > 0;
}

// Devices found without renameat2(RENAME_NOREPLACE) or without hard links: a copy there
// goes straight to what works, without asking the driver again (FUSE asks cost a round trip).
std::mutex g_lacksMutex;
std::set<std::uint64_t> g_lacksNoReplace;
std::set<std::uint64_t> g_lacksLinks;

bool lacks(const std::set<std::uint64_t>& devices, std::uint64_t device) {
    const std::lock_guard<std::mutex> lock(g_lacksMutex);
    return devices.count(device) != 0;
}

void noteLack(std::set<std::uint64_t>& devices, std::uint64_t device) {
    const std::lock_guard<std::mutex> lock(g_lacksMutex);
    devices.insert(device);
}

bool unsupported(int error) {
    return error == EINVAL || error == ENOSYS || error == ENOTSUP || error == EOPNOTSUPP ||
           error == EPERM;
}

// Renames from (in the folder fromDir) to a name that nothing holds yet (in toDir), both on
// the device; EEXIST when something does.
int renameWithoutReplacing(int fromDir, const std::string& from, int toDir, const std::string& to,
                           std::uint64_t device) {
    if (!lacks(g_lacksNoReplace, device)) {
        if (::renameat2(fromDir, from.c_str(), toDir, to.c_str(), RENAME_NOREPLACE) == 0)
            return 0;
        if (!unsupported(errno))
            return errno;
        noteLack(g_lacksNoReplace, device);
    }
    // The file system cannot rename without replacing (FUSE drivers without rename2). A hard
    // link takes a name as safely, where the file system has them.
    if (!lacks(g_lacksLinks, device)) {
        if (::linkat(fromDir, from.c_str(), toDir, to.c_str(), 0) == 0) {
            ::unlinkat(fromDir, from.c_str(), 0);
            return 0;
        }
        if (!unsupported(errno))
            return errno;
        noteLack(g_lacksLinks, device);
    }
    // Neither (FAT, exFAT): the name is looked at just before the rename. Another program
    // that takes the name between the look and the rename loses its file; nothing cheaper
    // closes that gap on such a file system, and the run's own files never meet there,
    // since the run claims each name before it copies. Another run of this program (a
    // second window, a script) waits for the folder's lock.
    FileHandle opened;
    if (toDir == AT_FDCWD) {
        const std::size_t slash = to.rfind('/');
        const std::string folder = slash == std::string::npos ? "."
                                   : slash == 0               ? "/"
                                                              : to.substr(0, slash);
        opened = FileHandle(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    }
    const FolderLock lock(toDir == AT_FDCWD ? opened.get() : toDir);
    struct stat st {};
    if (::fstatat(toDir, to.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0)
        return EEXIST;
    if (errno != ENOENT)
        return errno;
    return ::renameat(fromDir, from.c_str(), toDir, to.c_str()) == 0 ? 0 : errno;
}

// The hidden names of this process's own copies in progress, by device. The cleaner never
// takes them: where a folder is reached under another spelling of its name (ROCK for Rock
// on exFAT), a FUSE driver may give the file another inode there, so that its lock does
// not show.
std::mutex g_heldMutex;
std::set<std::pair<std::uint64_t, std::string>> g_held;

std::string baseName(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

void holdName(std::uint64_t device, const std::string& path) {
    const std::lock_guard<std::mutex> lock(g_heldMutex);
    g_held.emplace(device, baseName(path));
}

void letGoName(std::uint64_t device, const std::string& path) {
    const std::lock_guard<std::mutex> lock(g_heldMutex);
    g_held.erase({device, baseName(path)});
}

bool heldHere(std::uint64_t device, const std::string& name) {
    const std::lock_guard<std::mutex> lock(g_heldMutex);
    return g_held.count({device, name}) != 0;
}

} // namespace

TemporaryFile::~TemporaryFile() {
    // A file without a name goes with its last descriptor.
    if (!m_committed && !m_path.empty()) {
        const Where here = where(m_path);
        ::unlinkat(here.dir, here.name.c_str(), 0);
        m_handle.close();
    }
    if (!m_path.empty())
        letGoName(m_device, m_path);
}

int TemporaryFile::create(std::shared_ptr<const FileHandle> folderHandle, const std::string& folder,
                          const std::string& name, std::shared_ptr<const WorkingFolder> work) {
    m_folderHandle = std::move(folderHandle);
    return create(folder, name, std::move(work));
}

TemporaryFile::Where TemporaryFile::where(const std::string& path) const {
    const auto directlyIn = [&path](const std::string& folder) {
        return path.size() > folder.size() + 1 && path.compare(0, folder.size(), folder) == 0 &&
               path[folder.size()] == '/' && path.find('/', folder.size() + 1) == std::string::npos;
    };
    if (m_work && directlyIn(m_work->path()))
        return Where{m_work->handle()->get(), path.substr(m_work->path().size() + 1)};
    if (m_folderHandle && directlyIn(m_folder))
        return Where{m_folderHandle->get(), path.substr(m_folder.size() + 1)};
    return Where{AT_FDCWD, path};
}

int TemporaryFile::create(const std::string& folder, const std::string& name,
                          std::shared_ptr<const WorkingFolder> work) {
    if (const int error = takeFileFault(FileOperation::Open, folder + "/" + name))
        return error;
    m_folder = folder;
    // The real name stays recognisable, cut so that the whole name is still accepted.
    m_stem = cutUtf8(name, maxNameBytes - suffixBytes - 1);
    // Where the file system can, the file has no name at all until it is committed: a crash
    // or a kill then leaves nothing behind, and no cleaner can see it.
    // A file without a name gets one through /proc; without /proc it is named from the start.
    static const bool procMounted = ::access("/proc/self/fd", X_OK) == 0;
    const int refused = procMounted ? takeFileFault(FileOperation::Unnamed, folder) : EOPNOTSUPP;
    const int anonymous =
        refused != 0 ? (errno = refused, -1)
        : m_folderHandle
            ? ::openat(m_folderHandle->get(), ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0600)
            : ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (anonymous >= 0) {
        FileHandle handle(anonymous);
        struct stat st {};
        if (::fstat(anonymous, &st) != 0)
            return errno;
        m_device = static_cast<std::uint64_t>(st.st_dev);
        m_handle = std::move(handle);
        return 0;
    }
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
        return errno;
    // A named file waits in the working folder, so that its slot is never among the names of
    // the target's folder; one on another file system could not be renamed from there.
    std::string waitIn = folder;
    if (work) {
        struct stat st {};
        const int looked =
            m_folderHandle ? ::fstat(m_folderHandle->get(), &st) : ::stat(folder.c_str(), &st);
        if (looked != 0)
            return errno;
        if (static_cast<std::uint64_t>(st.st_dev) == work->device()) {
            waitIn = work->path();
            m_work = std::move(work);
        }
    }
    return createNamed(waitIn);
}

int TemporaryFile::createNamed(const std::string& folder) {
    for (int attempt = 0; attempt < 4; ++attempt) {
        std::string pattern;
        if (const int error = randomName(folder, pattern))
            return error;
        const Where here = where(pattern);
        const int fd =
            ::openat(here.dir, here.name.c_str(),
                     O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY, 0600);
        if (fd < 0 && errno == EEXIST)
            continue;
        if (fd < 0)
            return errno;
        FileHandle handle(fd);
        // Where the file system cannot lock, no cleaner can take the file away either.
        struct stat st {};
        const bool locked = ::flock(fd, LOCK_EX) == 0;
        if (!locked && ::fstat(fd, &st) != 0)
            return errno;
        if (!locked || stillNamed(fd, st)) {
            m_device = static_cast<std::uint64_t>(st.st_dev);
            holdName(m_device, pattern);
            m_path = std::move(pattern);
            m_handle = std::move(handle);
            return 0;
        }
    }
    return EAGAIN;
}

int TemporaryFile::randomName(const std::string& folder, std::string& path) const {
    path = folder + "/." + m_stem + std::string(suffixStem);
    return appendRandomLetters(path, uniqueChars);
}

int appendRandomLetters(std::string& text, std::size_t count) {
    static constexpr char letters[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    unsigned char random[256];
    if (count > sizeof random)
        return EINVAL;
    if (::getentropy(random, count) != 0)
        return errno;
    for (std::size_t i = 0; i < count; ++i)
        text += letters[random[i] % (sizeof letters - 1)];
    return 0;
}

int TemporaryFile::flushData() {
    return ::fdatasync(m_handle.get()) == 0 ? 0 : errno;
}

int TemporaryFile::write(std::string_view bytes) {
    while (!bytes.empty()) {
        if (const int error = takeFileFault(FileOperation::Write, m_path))
            return error;
        const ssize_t n = ::write(m_handle.get(), bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return 0;
}

int TemporaryFile::sync() {
    return ::fsync(m_handle.get()) == 0 ? 0 : errno;
}

int TemporaryFile::setPermissions(unsigned mode) {
    return ::fchmod(m_handle.get(), static_cast<mode_t>(mode & 07777u)) == 0 ? 0 : errno;
}

int TemporaryFile::commitAs(const std::string& target, Naming naming) {
    const Where to = where(target);
    if (m_path.empty() && m_handle.isOpen()) {
        // linkat never replaces: a name that is taken fails with EEXIST.
        const std::string self = "/proc/self/fd/" + std::to_string(m_handle.get());
        if (::linkat(AT_FDCWD, self.c_str(), to.dir, to.name.c_str(), AT_SYMLINK_FOLLOW) == 0)
            return closeAfterNewName(to);
        if (errno != EEXIST || naming == Naming::NewOnly)
            return errno;
        // A file is replaced: the copy takes a hidden name of its own first, locked as one
        // made that way, and is renamed over the target from there.
        if (const int error = nameForReplacing(self))
            return error;
    } else if (naming == Naming::NewOnly) {
        // Still open and locked while the name is taken, so that no cleaner takes the file
        // away if it has to wait for another name.
        const Where from = where(m_path);
        if (const int error =
                renameWithoutReplacing(from.dir, from.name, to.dir, to.name, m_device))
            return error;
        return closeAfterNewName(to);
    }
    if (!m_handle.close())
        return errno;
    const Where from = where(m_path);
    if (::renameat(from.dir, from.name.c_str(), to.dir, to.name.c_str()) != 0)
        return errno;
    m_committed = true;
    return 0;
}

int TemporaryFile::closeAfterNewName(const Where& target) {
    if (!m_handle.close()) {
        const int error = errno;
        ::unlinkat(target.dir, target.name.c_str(), 0); // the name was new: nothing else goes
        return error;
    }
    m_committed = true;
    return 0;
}

int TemporaryFile::nameForReplacing(const std::string& self) {
    if (::flock(m_handle.get(), LOCK_EX) != 0 && errno != ENOLCK && errno != EOPNOTSUPP)
        return errno;
    for (int attempt = 0; attempt < 16; ++attempt) {
        std::string path;
        if (const int error = randomName(m_folder, path))
            return error;
        holdName(m_device, path);
        const Where here = where(path);
        if (::linkat(AT_FDCWD, self.c_str(), here.dir, here.name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            m_path = std::move(path);
            return 0;
        }
        const int error = errno;
        letGoName(m_device, path);
        if (error != EEXIST)
            return error;
    }
    return EEXIST;
}

namespace {

// The name ends in the stem and `chars` letters and digits, after at least one byte.
bool endsInSuffix(std::string_view name, std::size_t chars, bool needsCapitalOrDigit) {
    const std::size_t tail = suffixStem.size() + chars;
    if (name.size() < 2 + tail || name[0] != '.')
        return false;
    const std::string_view end = name.substr(name.size() - tail);
    if (end.substr(0, suffixStem.size()) != suffixStem)
        return false;
    bool capitalOrDigit = false;
    for (const char c : end.substr(suffixStem.size())) {
        if (!isAsciiAlnum(c))
            return false;
        capitalOrDigit = capitalOrDigit || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    }
    return capitalOrDigit || !needsCapitalOrDigit;
}

} // namespace

bool isTemporaryFileName(const std::string& name) {
    return endsInSuffix(name, uniqueChars, false) || endsInSuffix(name, oldUniqueChars, true);
}

std::size_t removeStaleTemporaryFiles(const std::string& folder) {
    const FolderStream dir(::opendir(folder.c_str()));
    if (!dir)
        return 0;
    std::size_t removed = 0;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (!isTemporaryFileName(name))
            continue;
        const std::string path = folder + "/" + name;
        const FileHandle handle(
            ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY | O_NONBLOCK));
        struct stat st {};
        if (!handle.isOpen() || ::fstat(handle.get(), &st) != 0 || !S_ISREG(st.st_mode) ||
            heldHere(static_cast<std::uint64_t>(st.st_dev), name))
            continue;
        // Written to lately: a copy may still be at work on it, lock or no lock.
        if (st.st_mtime > std::time(nullptr) - abandonedAfterSeconds)
            continue;
        // A running copy holds its lock; a file nobody can lock here is left alone.
        if (::flock(handle.get(), LOCK_EX | LOCK_NB) != 0)
            continue;
        // The name may have been committed by its copy the moment the lock was let go.
        struct stat named {};
        if (::lstat(path.c_str(), &named) == 0 && named.st_dev == st.st_dev &&
            named.st_ino == st.st_ino && ::unlink(path.c_str()) == 0)
            ++removed;
    }
    return removed;
}

} // namespace tw::platform
