#include "platform/FileSystem.h"

#include "platform/Path.h"

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <stdexcept>
#include <system_error>
#include <utility>

#include <sys/stat.h>
#include <unistd.h>

namespace tw::platform {

namespace {

std::atomic<bool> g_pacerArmed{false};
std::function<void(const std::string&)> g_pacer; // read only while armed

bool statPath(const std::string& path, struct stat& st) {
    if (g_pacerArmed.load(std::memory_order_acquire))
        g_pacer(path);
    return ::stat(path.c_str(), &st) == 0;
}

} // namespace

bool fileExists(const std::string& path) {
    return regularFileSize(path) >= 0;
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

void setLookupPacer(std::function<void(const std::string& path)> pacer) {
    g_pacerArmed.store(false, std::memory_order_release);
    g_pacer = std::move(pacer);
    g_pacerArmed.store(static_cast<bool>(g_pacer), std::memory_order_release);
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

} // namespace tw::platform
