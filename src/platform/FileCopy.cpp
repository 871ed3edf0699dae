#include "platform/FileCopy.h"

#include "platform/File.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>
#include <system_error>
#include <utility>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tw::platform {

namespace {

// The longest name most Linux file systems accept for one path component.
constexpr std::size_t maxNameBytes = 255;
constexpr std::string_view tempMarker = ".tunewagon-XXXXXX";

// Smallest buffer of the read/write fallback; small files get no more than this.
constexpr std::size_t minBufferBytes = 64 * 1024;

struct CopyFailure {
    int errorNumber;
};

// Cuts a UTF-8 text to at most maxBytes without splitting a character.
std::string cutUtf8(const std::string& text, std::size_t maxBytes) {
    if (text.size() <= maxBytes)
        return text;
    std::size_t end = maxBytes;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return text.substr(0, end);
}

// A temporary file that is removed unless it has been renamed to its real name.
class TemporaryFile {
public:
    // Creates ".<name>.tunewagon-XXXXXX" in the folder; throws CopyFailure.
    TemporaryFile(const std::string& folder, const std::string& name) {
        const std::string prefix = "." + cutUtf8(name, maxNameBytes - tempMarker.size() - 1);
        m_path = folder + "/" + prefix + std::string(tempMarker);
        const int fd = ::mkostemp(m_path.data(), O_CLOEXEC);
        if (fd < 0)
            throw CopyFailure{errno};
        m_handle = FileHandle(fd);
    }
    ~TemporaryFile() {
        if (!m_committed) {
            m_handle.close();
            ::unlink(m_path.c_str());
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    int fd() const { return m_handle.get(); }

    // Closes the file (reporting late write errors) and renames it to target.
    void commit(const std::string& target) {
        if (!m_handle.close())
            throw CopyFailure{errno};
        if (::rename(m_path.c_str(), target.c_str()) != 0)
            throw CopyFailure{errno};
        m_committed = true;
    }

private:
    std::string m_path;
    FileHandle m_handle;
    bool m_committed = false;
};

struct Cancelled {};

// Moves the bytes of one open file into another, chunk by chunk.
class DataMover {
public:
    DataMover(int in, int out, std::uint64_t total, const CopyProgress& progress)
        : m_in(in)
        , m_out(out)
        , m_total(total)
        , m_progress(progress) {}

    void run() {
        bool kernelCopy = true;
        for (;;) {
            std::uint64_t moved = 0;
            if (kernelCopy) {
                const auto n = kernelChunk();
                if (!n) {
                    kernelCopy = false;
                    continue;
                }
                moved = *n;
                // Some file systems report an early end here; the plain reads tell the truth.
                if (moved == 0 && m_done < m_total) {
                    kernelCopy = false;
                    continue;
                }
            } else {
                moved = bufferedChunk();
            }
            if (moved == 0)
                return;
            m_done += moved;
            if (m_progress && !m_progress(m_done, m_total))
                throw Cancelled{};
        }
    }

private:
    // One chunk through copy_file_range; nothing when the kernel cannot copy these files.
    std::optional<std::uint64_t> kernelChunk() {
        std::uint64_t moved = 0;
        while (moved < copyChunkBytes) {
            const ssize_t n =
                ::copy_file_range(m_in, nullptr, m_out, nullptr, copyChunkBytes - moved, 0);
            if (n > 0) {
                moved += static_cast<std::uint64_t>(n);
                continue;
            }
            if (n == 0)
                break;
            if (errno == EINTR)
                continue;
            if (moved == 0 && fallbackError(errno))
                return std::nullopt;
            if (moved > 0 && fallbackError(errno))
                break;
            throw CopyFailure{errno};
        }
        return moved;
    }

    static bool fallbackError(int error) {
        return error == EXDEV || error == ENOSYS || error == EINVAL || error == EOPNOTSUPP ||
               error == ENOTSUP || error == EBADF || error == ETXTBSY || error == EPERM;
    }

    // One chunk through read and write.
    std::uint64_t bufferedChunk() {
        if (!m_buffer) {
            m_bufferSize = static_cast<std::size_t>(std::clamp<std::uint64_t>(
                m_total - std::min(m_total, m_done) + 1, minBufferBytes, copyChunkBytes));
            m_buffer = std::make_unique<char[]>(m_bufferSize);
        }
        std::uint64_t moved = 0;
        while (moved < copyChunkBytes) {
            const ssize_t n = ::read(m_in, m_buffer.get(), m_bufferSize);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                throw CopyFailure{errno};
            }
            if (n == 0)
                break;
            writeAll(m_buffer.get(), static_cast<std::size_t>(n));
            moved += static_cast<std::uint64_t>(n);
        }
        return moved;
    }

    void writeAll(const char* data, std::size_t size) {
        while (size > 0) {
            const ssize_t n = ::write(m_out, data, size);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                throw CopyFailure{errno};
            }
            data += n;
            size -= static_cast<std::size_t>(n);
        }
    }

    int m_in;
    int m_out;
    std::uint64_t m_total;
    std::uint64_t m_done = 0;
    const CopyProgress& m_progress;
    std::unique_ptr<char[]> m_buffer;
    std::size_t m_bufferSize = 0;
};

// File systems without Unix permissions or owners (vfat, exfat, ntfs3 without options)
// refuse some attribute changes; the copied data are still complete.
bool attributeNotSupported(int error) {
    return error == EPERM || error == EOPNOTSUPP || error == ENOTSUP;
}

void copyAttributes(int fd, const struct stat& source) {
    if (::fchmod(fd, source.st_mode & 07777) != 0 && !attributeNotSupported(errno))
        throw CopyFailure{errno};
    const struct timespec times[2] = {source.st_atim, source.st_mtim};
    if (::futimens(fd, times) != 0 && !attributeNotSupported(errno))
        throw CopyFailure{errno};
}

// Ensures the folder exists; throws CopyFailure with the reason when it cannot.
void ensureFolder(const std::string& folder) {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0)
        throw CopyFailure{ec ? ec.value() : errno};
    if (!S_ISDIR(st.st_mode))
        throw CopyFailure{ENOTDIR};
}

CopyResult copyOrThrow(const std::string& sourcePath, const std::string& targetPath,
                       const CopyProgress& progress) {
    const std::string source = systemPath(sourcePath);
    const std::string target = systemPath(targetPath);

    const std::size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "."
                               : slash == 0               ? "/"
                                                          : target.substr(0, slash);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    if (name.empty() || name == "." || name == "..")
        throw CopyFailure{EINVAL};

    // Non-blocking, so that a named pipe given as the source is refused instead of waited on.
    const int inFd = ::open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (inFd < 0)
        throw CopyFailure{errno};
    const FileHandle in(inFd);
    struct stat sourceStat {};
    if (::fstat(in.get(), &sourceStat) != 0)
        throw CopyFailure{errno};
    if (S_ISDIR(sourceStat.st_mode))
        throw CopyFailure{EISDIR};
    if (!S_ISREG(sourceStat.st_mode))
        throw CopyFailure{EINVAL};

    struct stat targetStat {};
    if (::stat(target.c_str(), &targetStat) == 0) {
        if (targetStat.st_dev == sourceStat.st_dev && targetStat.st_ino == sourceStat.st_ino)
            throw CopyFailure{EINVAL};
        if (S_ISDIR(targetStat.st_mode))
            throw CopyFailure{EISDIR};
    }

    ensureFolder(folder);
    TemporaryFile temp(folder, name);
    const auto total = static_cast<std::uint64_t>(sourceStat.st_size);
    DataMover(in.get(), temp.fd(), total, progress).run();
    copyAttributes(temp.fd(), sourceStat);

    // A replaced file must not be lost to a crash between the rename and the write-back.
    struct stat existing {};
    if (::lstat(target.c_str(), &existing) == 0 && ::fdatasync(temp.fd()) != 0)
        throw CopyFailure{errno};
    temp.commit(target);
    return CopyResult{true, false, 0};
}

} // namespace

CopyResult copyFile(const std::string& source, const std::string& target,
                    const CopyProgress& progress) {
    try {
        return copyOrThrow(source, target, progress);
    } catch (const CopyFailure& failure) {
        return CopyResult{false, false, failure.errorNumber};
    } catch (const Cancelled&) {
        return CopyResult{false, true, ECANCELED};
    }
}

bool syncFileSystem(const std::string& folder) {
    const int fd = ::open(systemPath(folder).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const FileHandle handle(fd);
    return ::syncfs(handle.get()) == 0;
}

} // namespace tw::platform
