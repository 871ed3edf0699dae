#include "platform/File.h"

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

InputFile::InputFile(const std::string& path)
    : m_path(path) {
    // Not blocking in the open: a named pipe with no writer would hang the program there.
    const int fd = ::open(systemPath(path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        throw FileError("cannot open", path, errno);
    m_handle = FileHandle(fd);
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        throw FileError("cannot read", path, errno);
    // Playlists and language files are read twice or in full: only a regular file will do.
    if (S_ISDIR(st.st_mode))
        throw FileError("cannot read", path, EISDIR);
    if (!S_ISREG(st.st_mode))
        throw FileError("not a regular file, cannot read", path, EINVAL);
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
}

std::size_t InputFile::read(char* buffer, std::size_t size) {
    for (;;) {
        const ssize_t n = ::read(m_handle.get(), buffer, size);
        if (n >= 0)
            return static_cast<std::size_t>(n);
        if (errno != EINTR)
            throw FileError("cannot read", m_path, errno);
    }
}

std::int64_t InputFile::size() const {
    struct stat st {};
    if (::fstat(m_handle.get(), &st) != 0)
        throw FileError("cannot read", m_path, errno);
    return static_cast<std::int64_t>(st.st_size);
}

OutputFile::OutputFile(const std::string& path, Mode mode)
    : m_path(path) {
    const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (mode == Mode::Append ? O_APPEND : O_TRUNC);
    const int fd = ::open(systemPath(path).c_str(), flags, 0666);
    if (fd < 0)
        throw FileError("cannot open", path, errno);
    m_handle = FileHandle(fd);
}

void OutputFile::write(std::string_view bytes) {
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
