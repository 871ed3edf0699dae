#include "platform/DestinationFolder.h"

#include "platform/FaultInjection.h"
#include "platform/WorkingFolder.h"

#include <cerrno>
#include <cstdint>
#include <string>
#include <utility>

#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace tw::platform {

namespace {

constexpr int folderFlags = O_PATH | O_DIRECTORY | O_CLOEXEC;

// Opens relative beneath the folder: openat2 keeps every step, links included, below it.
// Where the kernel lacks openat2 the path is walked one component at a time without
// following any link, so that a link is refused rather than followed anywhere.
int openBelow(int root, const std::string& relative) {
    if (relative.empty())
        return ::fcntl(root, F_DUPFD_CLOEXEC, 0);
    open_how how{};
    how.flags = static_cast<std::uint64_t>(folderFlags);
    how.resolve = RESOLVE_BENEATH | RESOLVE_NO_MAGICLINKS;
    const long fd = ::syscall(SYS_openat2, root, relative.c_str(), &how, sizeof how);
    if (fd >= 0)
        return static_cast<int>(fd);
    if (errno != ENOSYS)
        return -1;
    int current = ::fcntl(root, F_DUPFD_CLOEXEC, 0);
    for (std::size_t begin = 0; current >= 0 && begin < relative.size();) {
        std::size_t end = relative.find('/', begin);
        if (end == std::string::npos)
            end = relative.size();
        const std::string part = relative.substr(begin, end - begin);
        begin = end + 1;
        if (part.empty() || part == ".")
            continue;
        if (part == "..") {
            ::close(current);
            errno = leavesDestinationError;
            return -1;
        }
        const int next = ::openat(current, part.c_str(), folderFlags | O_NOFOLLOW);
        const int error = errno;
        ::close(current);
        if (next < 0) {
            errno = error == ELOOP || error == ENOTDIR ? leavesDestinationError : error;
            return -1;
        }
        current = next;
    }
    return current;
}

} // namespace

DestinationFolder::DestinationFolder(const std::string& path)
    : m_path(path)
    // Read-only rather than a path-only descriptor, which syncfs refuses.
    , m_root(std::make_shared<FileHandle>(
          ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOCTTY))) {
    if (!m_root->isOpen())
        m_error = errno;
}

bool DestinationFolder::stillThere() const {
    struct stat held {};
    struct stat named {};
    return m_root->isOpen() && ::fstat(m_root->get(), &held) == 0 &&
           ::stat(m_path.c_str(), &named) == 0 && held.st_dev == named.st_dev &&
           held.st_ino == named.st_ino;
}

int DestinationFolder::flush() const {
    if (!m_root->isOpen())
        return m_error != 0 ? m_error : EBADF;
    if (const int error = takeFileFault(FileOperation::FileSystemFlush, m_path))
        return error;
    return ::syncfs(m_root->get()) == 0 ? 0 : errno;
}

std::shared_ptr<WorkingFolder> DestinationFolder::workingFolder() {
    if (m_workingAsked || !m_root->isOpen())
        return m_working;
    m_workingAsked = true;
    // A file made without a name gets its name through /proc, and takes no slot in any
    // folder before it has its real name: no folder is needed there.
    static const bool procMounted = ::access("/proc/self/fd", X_OK) == 0;
    const FileHandle unnamed(
        procMounted ? ::openat(m_root->get(), ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600) : -1);
    // Nothing is made in a destination that has gone meanwhile (unmounted, replaced).
    if (!unnamed.isOpen() && stillThere())
        m_working = WorkingFolder::make(m_root, m_path);
    return m_working;
}

int DestinationFolder::openBeneath(const std::string& relative, FileHandle& opened) const {
    const int fd = openBelow(m_root->get(), relative);
    if (fd < 0)
        return errno == EXDEV || errno == ELOOP ? leavesDestinationError : errno;
    opened = FileHandle(fd);
    return 0;
}

int DestinationFolder::openFolder(const std::string& folder,
                                  std::shared_ptr<const FileHandle>& opened) {
    if (!m_root->isOpen())
        return m_error != 0 ? m_error : EBADF;
    std::string relative;
    if (folder != m_path) {
        const std::string prefix = m_path == "/" ? "/" : m_path + "/";
        if (folder.compare(0, prefix.size(), prefix) != 0)
            return ENOENT;
        relative = folder.substr(prefix.size());
    }
    if (m_last && relative == m_lastRelative) {
        opened = m_last;
        return 0;
    }
    FileHandle handle;
    int error = openBeneath(relative, handle);
    // Missing folders are made one at a time, each below the last, never the destination.
    for (std::size_t end = 0; error == ENOENT && end < relative.size();) {
        end = relative.find('/', end + 1);
        if (end == std::string::npos)
            end = relative.size();
        const std::string upTo = relative.substr(0, end);
        FileHandle existing;
        const int state = openBeneath(upTo, existing);
        if (state == 0)
            continue;
        if (state != ENOENT)
            return state;
        if (!stillThere())
            return destinationGoneError;
        const std::size_t slash = upTo.rfind('/');
        FileHandle parent;
        if (const int parentError = openBeneath(
                slash == std::string::npos ? std::string() : upTo.substr(0, slash), parent))
            return parentError;
        const std::string name = slash == std::string::npos ? upTo : upTo.substr(slash + 1);
        if (::mkdirat(parent.get(), name.c_str(), 0777) != 0 && errno != EEXIST)
            return errno;
        error = openBeneath(relative, handle);
    }
    if (error != 0)
        return error;
    m_lastRelative = relative;
    m_last = std::make_shared<const FileHandle>(std::move(handle));
    opened = m_last;
    return 0;
}

} // namespace tw::platform
