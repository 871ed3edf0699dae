// The list scan on a slow file system, against a serial stat() loop over the same paths on
// the same file system, in the same run. The file system is the benchmark's own: a FUSE
// pass-through over a generated music folder that answers every lookup and attribute query
// after a fixed delay (1 ms), as a network share or a USB disk does. Folders stay known to
// the kernel; every file is asked anew each time, by the scan and by the loop alike.
//
//   tw_slowfs_bench [entries] [delay-us]     default 10000 entries, 1000 us
//   tw_slowfs_bench --serve BACKING MOUNT DELAY-US   (child) the file system
//
// Needs /dev/fuse and the right to mount (root); says "skipped" and succeeds without them.

#define FUSE_USE_VERSION 312
#include "playlist/ListScan.h"

#include <fuse_lowlevel.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// ---- the file system ---------------------------------------------------------------------

class SlowFs {
public:
    SlowFs(std::string backing, std::chrono::microseconds delay)
        : m_backing(std::move(backing))
        , m_delay(delay)
        , m_paths{"", ""} {} // inode 1 is the root

    std::string pathOf(fuse_ino_t ino) {
        const std::lock_guard lock(m_mutex);
        return ino < m_paths.size() ? m_paths[ino] : std::string();
    }
    fuse_ino_t inodeOf(const std::string& relative) {
        const std::lock_guard lock(m_mutex);
        auto [it, added] = m_inodes.try_emplace(relative, m_paths.size());
        if (added)
            m_paths.push_back(relative);
        return it->second;
    }
    std::string backing(const std::string& relative) const { return m_backing + relative; }
    void wait() const { std::this_thread::sleep_for(m_delay); }

private:
    std::string m_backing;
    std::chrono::microseconds m_delay;
    std::mutex m_mutex;
    std::vector<std::string> m_paths;
    std::unordered_map<std::string, fuse_ino_t> m_inodes;
};

SlowFs* g_fs = nullptr;

// Folders are kept an hour; a file's name is asked again on every lookup, its attributes
// come with that answer.
double entrySeconds(const struct stat& st) {
    return S_ISDIR(st.st_mode) ? 3600.0 : 0.0;
}
double attrSeconds(const struct stat& st) {
    return S_ISDIR(st.st_mode) ? 3600.0 : 1.0;
}

void slowLookup(fuse_req_t req, fuse_ino_t parent, const char* name) {
    g_fs->wait();
    const std::string relative = g_fs->pathOf(parent) + "/" + name;
    struct stat st {};
    if (::lstat(g_fs->backing(relative).c_str(), &st) != 0) {
        fuse_reply_err(req, errno);
        return;
    }
    fuse_entry_param e{};
    e.ino = g_fs->inodeOf(relative);
    e.attr = st;
    e.attr.st_ino = e.ino;
    e.entry_timeout = entrySeconds(st);
    e.attr_timeout = attrSeconds(st);
    fuse_reply_entry(req, &e);
}

void slowGetattr(fuse_req_t req, fuse_ino_t ino, fuse_file_info*) {
    g_fs->wait();
    struct stat st {};
    if (::lstat(g_fs->backing(g_fs->pathOf(ino)).c_str(), &st) != 0) {
        fuse_reply_err(req, errno);
        return;
    }
    st.st_ino = ino;
    fuse_reply_attr(req, &st, attrSeconds(st));
}

void passOpen(fuse_req_t req, fuse_ino_t ino, fuse_file_info* fi) {
    const int fd = ::open(g_fs->backing(g_fs->pathOf(ino)).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        fuse_reply_err(req, errno);
        return;
    }
    fi->fh = static_cast<std::uint64_t>(fd);
    fuse_reply_open(req, fi);
}

void passRead(fuse_req_t req, fuse_ino_t, size_t size, off_t offset, fuse_file_info* fi) {
    std::vector<char> buffer(size);
    const ssize_t n = ::pread(static_cast<int>(fi->fh), buffer.data(), size, offset);
    if (n < 0)
        fuse_reply_err(req, errno);
    else
        fuse_reply_buf(req, buffer.data(), static_cast<size_t>(n));
}

void passRelease(fuse_req_t req, fuse_ino_t, fuse_file_info* fi) {
    ::close(static_cast<int>(fi->fh));
    fuse_reply_err(req, 0);
}

int serve(const std::string& backing, const std::string& mount, long delayUs) {
    SlowFs slowFs(backing, std::chrono::microseconds(delayUs));
    g_fs = &slowFs;
    fuse_lowlevel_ops ops{};
    ops.lookup = slowLookup;
    ops.getattr = slowGetattr;
    ops.open = passOpen;
    ops.read = passRead;
    ops.release = passRelease;
    char program[] = "tw_slowfs";
    char* argv[] = {program, nullptr};
    fuse_args args = FUSE_ARGS_INIT(1, argv);
    fuse_session* se = fuse_session_new(&args, &ops, sizeof ops, nullptr);
    if (se == nullptr)
        return 1;
    int status = 1;
    if (fuse_set_signal_handlers(se) == 0) {
        if (fuse_session_mount(se, mount.c_str()) == 0) {
            // Enough threads that every lookup the kernel hands over is answered side by side.
            fuse_loop_config* config = fuse_loop_cfg_create();
            fuse_loop_cfg_set_max_threads(config, 128);
            fuse_loop_cfg_set_idle_threads(config, 128);
            status = fuse_session_loop_mt(se, config);
            fuse_loop_cfg_destroy(config);
            fuse_session_unmount(se);
        }
        fuse_remove_signal_handlers(se);
    }
    fuse_session_destroy(se);
    return status == 0 ? 0 : 1;
}

// ---- the benchmark -----------------------------------------------------------------------

constexpr int kFolders = 100;

std::string entryName(long i) {
    char name[64];
    std::snprintf(name, sizeof name, "music\\d%02ld\\f%07ld.mp3", i % kFolders, i);
    return name;
}

std::string slashed(std::string path) {
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

double seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

bool mountedOver(const std::string& mount, const std::string& parent) {
    struct stat a {};
    struct stat b {};
    return ::stat(mount.c_str(), &a) == 0 && ::stat(parent.c_str(), &b) == 0 &&
           a.st_dev != b.st_dev;
}

int run(long entries, long delayUs) {
    if (::access("/dev/fuse", R_OK | W_OK) != 0) {
        std::printf("skipped: /dev/fuse is missing or not open to this user (%s)\n",
                    std::strerror(errno));
        return 0;
    }
    std::string root = (fs::temp_directory_path() / "tunewagon-slowfs-XXXXXX").string();
    if (::mkdtemp(root.data()) == nullptr)
        return 1;
    const std::string backing = root + "/backing";
    const std::string mount = root + "/mnt";
    fs::create_directories(mount);
    for (int d = 0; d < kFolders; ++d) {
        char name[32];
        std::snprintf(name, sizeof name, "/music/d%02d", d);
        fs::create_directories(backing + name);
    }
    // The even entries exist, each of a size of its own; the odd ones are missing.
    for (long i = 0; i < entries; i += 2)
        std::ofstream(backing + "/" + slashed(entryName(i))) << std::string(i % 3000, 'x');
    {
        std::ofstream list(backing + "/list.m3u", std::ios::binary);
        list << "#EXTM3U\r\n";
        for (long i = 0; i < entries; ++i)
            list << entryName(i) << "\r\n";
    }

    const pid_t server = ::fork();
    if (server == 0) {
        ::execl("/proc/self/exe", "tw_slowfs_bench", "--serve", backing.c_str(), mount.c_str(),
                std::to_string(delayUs).c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    bool mounted = false;
    for (int i = 0; i < 500 && !mounted; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        mounted = mountedOver(mount, root);
    }
    int status = 0;
    if (!mounted) {
        std::printf("skipped: the slow file system could not be mounted on %s\n", mount.c_str());
        ::kill(server, SIGTERM);
    } else {
        std::vector<std::string> paths;
        for (long i = 0; i < entries; ++i)
            paths.push_back(mount + "/" + slashed(entryName(i)));
        // The loop first: what it leaves known to the kernel, the scan may use.
        auto start = Clock::now();
        long found = 0;
        for (const std::string& p : paths) {
            struct stat st {};
            if (::stat(p.c_str(), &st) == 0 && S_ISREG(st.st_mode))
                ++found;
        }
        const double bare = seconds(Clock::now() - start);
        start = Clock::now();
        const tw::playlist::ScanResult r = tw::playlist::scanPlaylist(mount + "/list.m3u", false);
        const double scan = seconds(Clock::now() - start);
        if (r.outcome != tw::playlist::ScanResult::Outcome::Completed || r.count != found) {
            std::printf("scan counted %d files, the loop found %ld\n", r.count, found);
            status = 1;
        }
        std::printf("%ld entries on a file system answering in %ld us: scan %.2f s (%u lookup "
                    "threads), serial stat() loop %.2f s (%ld found), ratio %.3f\n",
                    entries, delayUs, scan, tw::playlist::LookupThreads{}.count, bare, found,
                    scan / bare);
        ::umount2(mount.c_str(), MNT_DETACH);
    }
    int serverStatus = 0;
    ::waitpid(server, &serverStatus, 0);
    fs::remove_all(root);
    return status;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::strcmp(argv[1], "--serve") == 0)
        return serve(argv[2], argv[3], std::atol(argv[4]));
    const long entries = argc > 1 ? std::atol(argv[1]) : 10000;
    const long delayUs = argc > 2 ? std::atol(argv[2]) : 1000;
    return run(entries, delayUs);
}
