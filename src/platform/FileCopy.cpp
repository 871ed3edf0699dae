#include "platform/FileCopy.h"

#include "platform/ChunkedCopy.h"
#include "platform/File.h"
#include "platform/FileSystem.h"
#include "platform/TemporaryFile.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tw::platform {

namespace {

CopyResult failure(int errorNumber) {
    return CopyResult{false, false, errorNumber};
}

// File systems without Unix permissions (vfat, exfat) refuse some attribute changes; the
// copied data are complete all the same.
bool attributeNotSupported(int error) {
    return error == EPERM || error == EOPNOTSUPP || error == ENOTSUP;
}

// Gives the open copy the source's permission bits and access and last-write times.
// Returns 0 or the errno.
int copyAttributes(int fd, const struct stat& source) {
    if (::fchmod(fd, source.st_mode & 07777) != 0 && !attributeNotSupported(errno))
        return errno;
    const struct timespec times[2] = {source.st_atim, source.st_mtim};
    if (::futimens(fd, times) != 0 && !attributeNotSupported(errno))
        return errno;
    return 0;
}

// Creates the folder with its missing parents. Returns 0 or the reason it is not there.
int ensureFolder(const std::string& folder) {
    struct stat st {};
    if (::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        return 0;
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (::stat(folder.c_str(), &st) != 0)
        return ec ? ec.value() : errno;
    return S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
}

} // namespace

CopyResult copyFile(const std::string& sourcePath, const std::string& targetPath,
                    const CopyProgress& progress) {
    const std::string source = systemPath(sourcePath);
    const std::string target = systemPath(targetPath);

    const std::size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "."
                               : slash == 0               ? "/"
                                                          : target.substr(0, slash);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    if (name.empty() || name == "." || name == "..")
        return failure(EINVAL);

    // Non-blocking, so that a named pipe given as the source is refused instead of waited on.
    const FileHandle in(::open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!in.isOpen())
        return failure(errno);
    struct stat sourceStat {};
    if (::fstat(in.get(), &sourceStat) != 0)
        return failure(errno);
    if (S_ISDIR(sourceStat.st_mode))
        return failure(EISDIR);
    if (!S_ISREG(sourceStat.st_mode))
        return failure(EINVAL);

    // The same file under another spelling (separators, links) is never copied onto itself.
    struct stat targetStat {};
    const bool replacing = ::stat(target.c_str(), &targetStat) == 0;
    if (replacing) {
        if (targetStat.st_dev == sourceStat.st_dev && targetStat.st_ino == sourceStat.st_ino)
            return failure(EINVAL);
        if (S_ISDIR(targetStat.st_mode))
            return failure(EISDIR);
    }

    if (const int error = ensureFolder(folder))
        return failure(error);
    TemporaryFile temp;
    if (const int error = temp.create(folder, name))
        return failure(error);

    ChunkedCopy data(in.get(), temp.fd(), static_cast<std::uint64_t>(sourceStat.st_size), progress);
    switch (data.run()) {
    case ChunkedCopy::Outcome::Cancelled:
        return CopyResult{false, true, ECANCELED};
    case ChunkedCopy::Outcome::Failed:
        return failure(data.errorNumber());
    case ChunkedCopy::Outcome::Done:
        break;
    }
    if (const int error = copyAttributes(temp.fd(), sourceStat))
        return failure(error);

    // A replaced file must not be lost to a crash between the rename and the write-back.
    if (replacing && ::fdatasync(temp.fd()) != 0)
        return failure(errno);
    if (const int error = temp.commitAs(target))
        return failure(error);
    return CopyResult{true, false, 0};
}

bool syncFileSystem(const std::string& folder) {
    const FileHandle handle(::open(systemPath(folder).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return handle.isOpen() && ::syncfs(handle.get()) == 0;
}

} // namespace tw::platform
