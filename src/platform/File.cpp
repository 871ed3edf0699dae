#include "platform/File.h"

#include "platform/FaultInjection.h"
#include "platform/FileError.h"
#include "platform/FileSystem.h"

#include <cerrno>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tw::platform {

FileHandle::~FileHandle() {
    close();
}

FileHandle::FileHandle(FileHandle&& other) noexcept
    : m_fd(other.release()) {}

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept {
    if (this != &other) {
        close();
        m_fd = other.release();
    }
    return *this;
}

bool FileHandle::close() {
    if (m_fd < 0)
        return true;
    const int fd = std::exchange(m_fd, -1);
    return ::close(fd) == 0;
}

int FileHandle::release() {
    return std::exchange(m_fd, -1);
}

namespace {

// Opens under the rules; a FIFO or device is opened without blocking so that it can be
// refused at once. Returns the descriptor; throws FileError.
FileHandle openUnderRules(int dirFd, const std::string& name, const std::string& shownPath,
                          int flags, const OpenRules& rules) {
    if (const int error = takeFileFault(FileOperation::Open, shownPath))
        throw FileError("cannot open", shownPath, error);
    flags |= O_CLOEXEC | O_NOCTTY;
    if (!rules.followLink)
        flags |= O_NOFOLLOW;
    if (rules.regularOnly)
        flags |= O_NONBLOCK;
    FileHandle handle(::openat(dirFd, name.c_str(), flags, 0666));
    if (!handle.isOpen())
        throw FileError("cannot open", shownPath, errno);
    struct stat st {};
    if (::fstat(handle.get(), &st) != 0)
        throw FileError("cannot open", shownPath, errno);
    if (S_ISDIR(st.st_mode))
        throw FileError("cannot read", shownPath, EISDIR);
    if (rules.regularOnly) {
        if (!S_ISREG(st.st_mode))
            throw FileError("not a regular file:", shownPath, EINVAL);
        const int status = ::fcntl(handle.get(), F_GETFL);
        if (status < 0 || ::fcntl(handle.get(), F_SETFL, status & ~O_NONBLOCK) != 0)
            throw FileError("cannot open", shownPath, errno);
    }
    return handle;
}

} // namespace

InputFile::InputFile(const std::string& path, const OpenRules& rules)
    : m_path(path)
    , m_handle(openUnderRules(AT_FDCWD, path, path, O_RDONLY, rules)) {}

InputFile InputFile::anyKind(const std::string& path) {
    OpenRules rules;
    rules.regularOnly = false;
    return InputFile(path, rules);
}

InputFile::InputFile(std::string path, FileHandle handle)
    : m_path(std::move(path))
    , m_handle(std::move(handle)) {}

InputFile InputFile::standardInput() {
    const int fd = ::fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 0);
    if (fd < 0)
        throw FileError("cannot open", "-", errno);
    return InputFile("-", FileHandle(fd));
}

std::size_t InputFile::read(char* buffer, std::size_t size) {
    if (const int error = takeFileFault(FileOperation::Read, m_path))
        throw FileError("cannot read", m_path, error);
    for (;;) {
        const ssize_t n = ::read(m_handle.get(), buffer, size);
        if (n >= 0)
            return static_cast<std::size_t>(n);
        if (errno != EINTR)
            throw FileError("cannot read", m_path, errno);
    }
}

std::size_t InputFile::readAt(char* buffer, std::size_t size, std::uint64_t offset) {
    if (const int error = takeFileFault(FileOperation::Read, m_path))
        throw FileError("cannot read", m_path, error);
    for (;;) {
        const ssize_t n = ::pread(m_handle.get(), buffer, size, static_cast<off_t>(offset));
        if (n >= 0)
            return static_cast<std::size_t>(n);
        if (errno != EINTR)
            throw FileError("cannot read", m_path, errno);
    }
}

unsigned InputFile::permissions() const {
    struct stat st {};
    if (::fstat(m_handle.get(), &st) != 0)
        throw FileError("cannot read", m_path, errno);
    return static_cast<unsigned>(st.st_mode) & 07777u;
}

std::int64_t InputFile::size() const {
    struct stat st {};
    if (::fstat(m_handle.get(), &st) != 0)
        throw FileError("cannot read", m_path, errno);
    return static_cast<std::int64_t>(st.st_size);
}

bool InputFile::isRegular() const {
    struct stat st {};
    if (::fstat(m_handle.get(), &st) != 0)
        throw FileError("cannot read", m_path, errno);
    return S_ISREG(st.st_mode);
}

OutputFile::OutputFile(const std::string& path, Mode mode)
    : m_path(path) {
    if (const int error = takeFileFault(FileOperation::Open, path))
        throw FileError("cannot open", path, error);
    const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (mode == Mode::Append ? O_APPEND : O_TRUNC);
    const int fd = ::open(path.c_str(), flags, 0666);
    if (fd < 0)
        throw FileError("cannot open", path, errno);
    m_handle = FileHandle(fd);
}

void OutputFile::write(std::string_view bytes) {
    if (const int error = takeFileFault(FileOperation::Write, m_path))
        throw FileError("cannot write", m_path, error);
    while (!bytes.empty()) {
        const ssize_t n = ::write(m_handle.get(), bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw FileError("cannot write", m_path, errno);
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}

void OutputFile::sync() {
    if (::fsync(m_handle.get()) != 0)
        throw FileError("cannot flush", m_path, errno);
}

void OutputFile::close() {
    if (!m_handle.close())
        throw FileError("cannot close", m_path, errno);
}

} // namespace tw::platform

namespace tw::platform {

RecordLog::RecordLog(const std::string& folder, const std::string& name)
    : m_path(folder + "/" + name) {
    // The folder itself must not be a link: a linked folder would move the log elsewhere.
    const FileHandle dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!dir.isOpen())
        throw FileError("cannot open", folder, errno);
    m_handle = openUnderRules(dir.get(), name, m_path, O_WRONLY | O_APPEND | O_CREAT,
                              OpenRules{false, true});
}

void RecordLog::append(std::string_view record) {
    struct stat st {};
    if (::fstat(m_handle.get(), &st) != 0)
        throw FileError("cannot write", m_path, errno);
    const off_t before = st.st_size;
    int error = takeFileFault(FileOperation::Write, m_path);
    std::string_view rest = record;
    while (error == 0 && !rest.empty()) {
        const ssize_t n = ::write(m_handle.get(), rest.data(), rest.size());
        if (n < 0) {
            if (errno != EINTR)
                error = errno;
            continue;
        }
        rest.remove_prefix(static_cast<std::size_t>(n));
    }
    if (error == 0)
        return;
    // A part of a record (a full disk, a file-size limit) is taken back.
    if (rest.size() != record.size())
        static_cast<void>(::ftruncate(m_handle.get(), before));
    throw FileError("cannot write", m_path, error);
}

void RecordLog::close() {
    if (!m_handle.close())
        throw FileError("cannot close", m_path, errno);
}

} // namespace tw::platform
