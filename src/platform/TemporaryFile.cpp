#include "platform/TemporaryFile.h"

#include "platform/FaultInjection.h"

#include <cerrno>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include <dirent.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tw::platform {

namespace {

// The longest name most Linux file systems accept for one path component.
constexpr std::size_t maxNameBytes = 255;
constexpr std::string_view uniqueSuffix = ".tunewagon-XXXXXX";
constexpr std::string_view suffixStem = ".tunewagon-";
constexpr std::size_t uniqueChars = 6;

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

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

} // namespace

TemporaryFile::~TemporaryFile() {
    // A file without a name goes with its last descriptor.
    if (!m_committed && !m_path.empty()) {
        ::unlink(m_path.c_str());
        m_handle.close();
    }
}

int TemporaryFile::create(const std::string& folder, const std::string& name) {
    if (const int error = takeFileFault(FileOperation::Open, folder + "/" + name))
        return error;
    m_folder = folder;
    // The real name stays recognisable, cut so that the whole name is still accepted.
    m_stem = cutUtf8(name, maxNameBytes - uniqueSuffix.size() - 1);
    // Where the file system can, the file has no name at all until it is committed: a crash
    // or a kill then leaves nothing behind, and no cleaner can see it.
    // A file without a name gets one through /proc; without /proc it is named from the start.
    static const bool procMounted = ::access("/proc/self/fd", X_OK) == 0;
    const int refused = procMounted ? takeFileFault(FileOperation::Unnamed, folder) : EOPNOTSUPP;
    const int anonymous = refused != 0
                              ? (errno = refused, -1)
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
    for (int attempt = 0; attempt < 4; ++attempt) {
        std::string pattern = namePattern();
        const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
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
            m_path = std::move(pattern);
            m_handle = std::move(handle);
            return 0;
        }
    }
    return EAGAIN;
}

std::string TemporaryFile::namePattern() const {
    return m_folder + "/." + m_stem + std::string(uniqueSuffix);
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

int TemporaryFile::commitAs(const std::string& target) {
    if (m_path.empty() && m_handle.isOpen()) {
        const std::string self = "/proc/self/fd/" + std::to_string(m_handle.get());
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, target.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            if (!m_handle.close()) {
                const int error = errno;
                ::unlink(target.c_str()); // the name was new: nothing of the user's goes
                return error;
            }
            m_committed = true;
            return 0;
        }
        if (errno != EEXIST)
            return errno;
        // A file is replaced: the copy takes a hidden name of its own first, locked as one
        // made that way, and is renamed over the target from there.
        if (const int error = nameForReplacing(self))
            return error;
    }
    if (!m_handle.close())
        return errno;
    if (::rename(m_path.c_str(), target.c_str()) != 0)
        return errno;
    m_committed = true;
    return 0;
}

int TemporaryFile::nameForReplacing(const std::string& self) {
    if (::flock(m_handle.get(), LOCK_EX) != 0 && errno != ENOLCK && errno != EOPNOTSUPP)
        return errno;
    static constexpr char letters[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (int attempt = 0; attempt < 16; ++attempt) {
        std::string path = namePattern();
        unsigned char random[uniqueChars];
        if (::getentropy(random, sizeof random) != 0)
            return errno;
        for (std::size_t i = 0; i < uniqueChars; ++i)
            path[path.size() - uniqueChars + i] = letters[random[i] % (sizeof letters - 1)];
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            m_path = std::move(path);
            return 0;
        }
        if (errno != EEXIST)
            return errno;
    }
    return EEXIST;
}

bool isTemporaryFileName(const std::string& name) {
    const std::size_t tail = suffixStem.size() + uniqueChars;
    if (name.size() < 1 + tail || name[0] != '.')
        return false;
    const std::string_view end = std::string_view(name).substr(name.size() - tail);
    if (end.substr(0, suffixStem.size()) != suffixStem)
        return false;
    for (const char c : end.substr(suffixStem.size()))
        if (!isAsciiAlnum(c))
            return false;
    return true;
}

std::size_t removeStaleTemporaryFiles(const std::string& folder) {
    const std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.c_str()));
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
        if (!handle.isOpen() || ::fstat(handle.get(), &st) != 0 || !S_ISREG(st.st_mode))
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
