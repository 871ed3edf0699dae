#include "platform/FileSystem.h"

#include "platform/FaultInjection.h"
#include "platform/Path.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <system_error>
#include <utility>

#include <sys/stat.h>
#include <unistd.h>

namespace tw::platform {

namespace {

bool statPath(const std::string& path, struct stat& st) {
    pacedLookup(path);
    return ::stat(path.c_str(), &st) == 0;
}

} // namespace

bool fileExists(const std::string& path) {
    return regularFileSize(path) >= 0;
}

std::optional<FileIdentity> identityOf(const std::string& path) {
    struct stat st {};
    if (path.empty() || path.find('\0') != std::string::npos || ::lstat(path.c_str(), &st) != 0)
        return std::nullopt;
    return FileIdentity{
        static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
        static_cast<std::int64_t>(st.st_size),
        static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

bool nameInUse(const std::string& path) {
    struct stat st {};
    if (path.empty() || path.find('\0') != std::string::npos)
        return false;
    if (::lstat(path.c_str(), &st) != 0)
        return false;
    // A link to a folder is a folder here, as a folder stays one: copying onto it fails.
    if (S_ISLNK(st.st_mode) && ::stat(path.c_str(), &st) != 0)
        return true;
    return !S_ISDIR(st.st_mode);
}

std::int64_t regularFileSize(const std::string& path) {
    struct stat st {};
    // A NUL byte would cut the path short in the system call.
    if (path.empty() || path.find('\0') != std::string::npos || !statPath(path, st) ||
        !S_ISREG(st.st_mode))
        return -1;
    return static_cast<std::int64_t>(st.st_size);
}

std::int64_t fileSize(const std::string& path) {
    struct stat st {};
    if (path.empty() || !statPath(path, st) || S_ISDIR(st.st_mode))
        return -1;
    return static_cast<std::int64_t>(st.st_size);
}

std::optional<std::int64_t> lastWriteTime(const std::string& path) {
    struct stat st {};
    if (path.empty() || !statPath(path, st))
        return std::nullopt;
    return static_cast<std::int64_t>(st.st_mtim.tv_sec);
}

bool folderExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && statPath(path, st) && S_ISDIR(st.st_mode);
}

void createFolders(const std::string& path) {
    if (path.empty())
        return;
    std::error_code ec;
    std::filesystem::create_directories(path, ec);
}

bool createFolder(const std::string& path) {
    if (::mkdir(path.c_str(), 0777) == 0)
        return true;
    return errno == EEXIST && folderExists(path);
}

bool deleteFile(const std::string& path) {
    return ::unlink(path.c_str()) == 0;
}

bool moveFile(const std::string& from, const std::string& to) {
    return ::rename(from.c_str(), to.c_str()) == 0;
}

bool sameFile(const std::string& a, const std::string& b) {
    struct stat sa {};
    struct stat sb {};
    if (!statPath(a, sa) || !statPath(b, sb))
        return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

unsigned newFilePermissions() {
    // The umask can only be read by setting it; the program sets it nowhere else, and this
    // runs on the user-interface thread.
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return 0666u & ~static_cast<unsigned>(mask);
}

std::string programFolder() {
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec)
        throw std::system_error(ec, "cannot find the program file");
    std::string folder = exe.parent_path().string();
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder;
}

std::string readWholeTextFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string canonicalPath(const std::string& path) {
    const std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path.c_str(), nullptr),
                                                               &std::free);
    return resolved ? std::string(resolved.get()) : std::string();
}

} // namespace tw::platform
