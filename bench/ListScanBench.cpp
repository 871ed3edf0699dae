// The list scan against the floor it cannot beat: a bare loop of stat() over the same
// paths, in the same run, on a generated playlist whose entries half exist. Then the peak
// memory of a scan and of a full read, each in a fresh child process, for two playlist
// lengths: a streaming reader needs the same memory for both.
//
// tw_listscan_bench [entries]            timing (default 100000) and memory (100000, 1000000)
// tw_listscan_bench --scan <playlist>    (child) one scan
// tw_listscan_bench --read <playlist>    (child) one full read with the playlist reader

#include "playlist/ListScan.h"
#include "playlist/PlaylistReader.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

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

// Entries i and i+1 name the same file number; the even ones exist. absolute: entries are
// written with the folder in front.
void writePlaylist(const std::string& path, const std::string& folder, long entries,
                   bool absolute) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << "#EXTM3U\r\n";
    for (long i = 0; i < entries; ++i)
        out << (absolute ? folder + "/" : std::string()) << entryName(i) << "\r\n";
}

void createExistingFiles(const std::string& folder, long entries) {
    for (int d = 0; d < kFolders; ++d) {
        char name[32];
        std::snprintf(name, sizeof name, "/music/d%02d", d);
        fs::create_directories(folder + name);
    }
    for (long i = 0; i < entries; i += 2)
        std::ofstream(folder + "/" + slashed(entryName(i))) << "0123456789";
}

double seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Peak resident memory of a child running this program with the given mode, in KiB.
long childPeakKiB(const char* mode, const std::string& playlist) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::execl("/proc/self/exe", "tw_listscan_bench", mode, playlist.c_str(),
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    struct rusage usage {};
    if (pid < 0 || ::wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "child %s failed\n", mode);
        std::exit(1);
    }
    return usage.ru_maxrss;
}

void timing(const std::string& root, long entries) {
    const std::string folder = root + "/lists";
    createExistingFiles(folder, entries);
    for (const bool absolute : {false, true}) {
        const std::string playlist = folder + (absolute ? "/absolute.m3u" : "/relative.m3u");
        writePlaylist(playlist, folder, entries, absolute);
        std::vector<std::string> paths;
        for (long i = 0; i < entries; ++i)
            paths.push_back(folder + "/" + slashed(entryName(i)));

        std::vector<double> scanTimes, serialTimes, statTimes;
        long found = 0;
        for (int round = 0; round < 7; ++round) {
            auto start = Clock::now();
            const tw::playlist::ScanResult r = tw::playlist::scanPlaylist(playlist, false);
            scanTimes.push_back(seconds(Clock::now() - start));
            start = Clock::now();
            const tw::playlist::ScanResult serial =
                tw::playlist::scanPlaylist(playlist, false, {}, {.count = 0});
            serialTimes.push_back(seconds(Clock::now() - start));
            if (r.count != (entries + 1) / 2 || serial.count != r.count) {
                std::fprintf(stderr, "scan counted %d files, serial %d\n", r.count, serial.count);
                std::exit(1);
            }
            start = Clock::now();
            found = 0;
            for (const std::string& p : paths) {
                struct stat st {};
                if (::stat(p.c_str(), &st) == 0 && S_ISREG(st.st_mode))
                    ++found;
            }
            statTimes.push_back(seconds(Clock::now() - start));
        }
        const double scan = median(scanTimes), bare = median(statTimes);
        const double serial = median(serialTimes);
        std::printf("%s entries, %ld: scan %.1f ms, bare stat() loop %.1f ms (%ld found), "
                    "ratio %.2f; lookups on the scan's thread alone %.1f ms, ratio %.2f\n",
                    absolute ? "absolute" : "relative", entries, scan * 1e3, bare * 1e3, found,
                    scan / bare, serial * 1e3, serial / bare);
    }
}

void memory(const std::string& root) {
    for (const long entries : {100000L, 1000000L}) {
        const std::string playlist = root + "/memory-" + std::to_string(entries) + ".m3u";
        writePlaylist(playlist, root + "/lists", entries, false);
        std::printf("%ld entries (%jd bytes): peak RSS scan %ld KiB, read %ld KiB\n", entries,
                    static_cast<std::intmax_t>(fs::file_size(playlist)),
                    childPeakKiB("--scan", playlist), childPeakKiB("--read", playlist));
        fs::remove(playlist);
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--scan") == 0)
        return tw::playlist::scanPlaylist(argv[2], false).outcome ==
                       tw::playlist::ScanResult::Outcome::Completed
                   ? 0
                   : 1;
    if (argc == 3 && std::strcmp(argv[1], "--read") == 0) {
        tw::playlist::PlaylistReader reader(argv[2], argv[2]);
        long entries = 0;
        while (reader.next())
            ++entries;
        return entries > 0 ? 0 : 1;
    }
    const long entries = argc > 1 ? std::atol(argv[1]) : 100000;
    std::string root = (fs::temp_directory_path() / "tunewagon-bench-XXXXXX").string();
    if (::mkdtemp(root.data()) == nullptr)
        return 1;
    timing(root, entries);
    memory(root);
    fs::remove_all(root);
    return 0;
}
