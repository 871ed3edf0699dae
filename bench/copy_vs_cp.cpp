// copy_vs_cp: tunewagon-copy against cp on the same files and the same disk.
//
//   copy_vs_cp [--work FOLDER] [--reps N] [--only large|small] [--skip-memory]
//
// For each set (200 files of 4 MiB, 2,000 files of 64 KiB) it runs, alternating which goes
// first, `tunewagon-copy --on-collision=replace --quiet --flat PLAYLIST FRESH` and
// `cp --preserve=timestamps FILES... FRESH` followed by `sync`, and reports the medians and
// the median ratio of the pairs run back to back. tunewagon-copy flushes its destination
// itself before it ends, so its time is taken alone. Then it compares the peak memory (ru_maxrss)
// of copying one sparse 2 GiB file with that of copying one 4 MiB file.

#include "platform/File.h"
#include "support/ChildProcess.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using tw::test::ChildOutcome;
using tw::test::ChildProcess;

struct FileSet {
    std::string name;
    int count;
    std::size_t size;
    double goal; // the largest acceptable ratio to cp
};

ChildOutcome runChecked(const std::vector<std::string>& argv, const std::string& folder = {}) {
    ChildProcess child(argv, std::nullopt, folder);
    ChildOutcome o = child.wait();
    if (!o.exited || o.exitCode != 0) {
        throw std::runtime_error(argv[0] + " failed (" + std::to_string(o.exitCode) +
                                 "): " + o.err + o.out.substr(0, 400));
    }
    return o;
}

void syncAll() {
    runChecked({"sync"});
}

// Files of varying bytes (no holes, nothing a file system could share).
void makeFiles(const std::string& folder, const FileSet& set, std::vector<std::string>& paths,
               std::string& playlist) {
    fs::create_directories(folder);
    std::string block(set.size, '\0');
    std::uint32_t x = 2463534242u;
    for (int i = 0; i < set.count; ++i) {
        for (std::size_t b = 0; b + 4 <= block.size(); b += 4) {
            x ^= x << 13;
            x ^= x >> 17;
            x ^= x << 5;
            block[b] = static_cast<char>(x);
            block[b + 1] = static_cast<char>(x >> 8);
            block[b + 2] = static_cast<char>(x >> 16);
            block[b + 3] = static_cast<char>(x >> 24);
        }
        char name[32];
        std::snprintf(name, sizeof name, "/t%05d.mp3", i);
        const std::string path = folder + name;
        if (!fs::exists(path) || fs::file_size(path) != set.size) {
            tw::platform::OutputFile out(path, tw::platform::OutputFile::Mode::Truncate);
            out.write(block);
            out.close();
        }
        paths.push_back(path);
        playlist += path + "\n";
    }
}

void writeText(const std::string& path, const std::string& text) {
    tw::platform::OutputFile out(path, tw::platform::OutputFile::Mode::Truncate);
    out.write(text);
    out.close();
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 == 1 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

void fresh(const std::string& folder) {
    fs::remove_all(folder);
    fs::create_directories(folder);
    syncAll();
}

} // namespace

int main(int argc, char** argv) {
    std::string work = (fs::current_path() / "copy_vs_cp.work").string();
    int reps = 5;
    bool memory = true;
    std::string only;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--work" && i + 1 < argc) {
            work = argv[++i];
        } else if (a == "--reps" && i + 1 < argc) {
            reps = std::max(1, std::stoi(argv[++i]));
        } else if (a == "--only" && i + 1 < argc) {
            only = argv[++i];
        } else if (a == "--skip-memory") {
            memory = false;
        } else {
            std::fprintf(stderr,
                         "usage: copy_vs_cp [--work FOLDER] [--reps N] [--only large|small] "
                         "[--skip-memory]\n");
            return 2;
        }
    }
    const std::string program = TW_COPY_PROGRAM;
    std::printf("tunewagon-copy: %s\nwork folder:    %s\nrepetitions:    %d\n\n", program.c_str(),
                work.c_str(), reps);

    const FileSet sets[] = {{"200 x 4 MiB", 200, 4u << 20, 1.05},
                            {"2000 x 64 KiB", 2000, 64u << 10, 1.2}};
    const bool runSet[] = {only.empty() || only == "large", only.empty() || only == "small"};
    bool allMet = true;
    try {
        int setNumber = 0;
        for (const FileSet& set : sets) {
            const std::string source = work + "/source" + std::to_string(setNumber);
            const std::string list = work + "/list" + std::to_string(setNumber) + ".m3u";
            const std::string dest = work + "/dest";
            if (!runSet[setNumber++]) {
                continue;
            }
            std::vector<std::string> paths;
            std::string playlist;
            makeFiles(source, set, paths, playlist);
            writeText(list, playlist);

            std::vector<std::string> cpArgs = {"cp", "--preserve=timestamps"};
            cpArgs.insert(cpArgs.end(), paths.begin(), paths.end());
            cpArgs.push_back(dest);

            std::vector<double> ours, theirs, oursCpu, theirsCpu;
            for (int rep = 0; rep < reps; ++rep) {
                for (int turn = 0; turn < 2; ++turn) {
                    const bool oursNow = (rep + turn) % 2 == 0;
                    fresh(dest);
                    if (oursNow) {
                        // Flat, as cp copies: every file into the one folder.
                        const ChildOutcome o = runChecked(
                            {program, "--on-collision=replace", "--quiet", "--flat", list, dest});
                        ours.push_back(o.seconds);
                        oursCpu.push_back(o.cpuSeconds);
                    } else {
                        const ChildOutcome c = runChecked(cpArgs);
                        const ChildOutcome s = runChecked({"sync"});
                        theirs.push_back(c.seconds + s.seconds);
                        theirsCpu.push_back(c.cpuSeconds + s.cpuSeconds);
                    }
                }
            }
            fs::remove_all(dest);
            // The disk of a shared machine changes pace from minute to minute: each repetition
            // runs both programs back to back, and the ratio is the median of those pairs.
            std::vector<double> pairs;
            for (std::size_t i = 0; i < ours.size() && i < theirs.size(); ++i) {
                pairs.push_back(ours[i] / theirs[i]);
            }
            const double mo = median(ours), mt = median(theirs);
            const double ratio = median(pairs);
            const bool met = ratio <= set.goal;
            allMet = allMet && met;
            std::printf("%-14s  tunewagon-copy %7.3f s   cp+sync %7.3f s   ratio %.3f  "
                        "(goal <= %.2f: %s)\n",
                        set.name.c_str(), mo, mt, ratio, set.goal, met ? "met" : "MISSED");
            std::printf("                runs ours:");
            for (double v : ours) {
                std::printf(" %.3f", v);
            }
            std::printf("   cp+sync:");
            for (double v : theirs) {
                std::printf(" %.3f", v);
            }
            std::printf("\n                cpu time (user+system) ours %.3f s   cp+sync %.3f s   "
                        "ratio %.3f\n",
                        median(oursCpu), median(theirsCpu), median(oursCpu) / median(theirsCpu));
            std::fflush(stdout);
        }

        if (memory) {
            const std::string folder = work + "/memory";
            fs::create_directories(folder);
            const std::string big = folder + "/big.mp3";
            {
                tw::platform::OutputFile f(big, tw::platform::OutputFile::Mode::Truncate);
                f.close();
            }
            fs::resize_file(big, std::uint64_t{2} << 30); // sparse
            std::vector<std::string> smallPaths;
            std::string smallList;
            makeFiles(folder + "/small", {"", 1, 4u << 20, 0}, smallPaths, smallList);
            writeText(folder + "/big.m3u", big + "\n");
            writeText(folder + "/small.m3u", smallList);

            std::int64_t rss[2] = {0, 0};
            const char* lists[2] = {"/small.m3u", "/big.m3u"};
            for (int i = 0; i < 2; ++i) {
                fresh(folder + "/dest");
                const ChildOutcome o = runChecked({program, "--on-collision=replace", "--quiet",
                                                   "--flat", folder + lists[i], folder + "/dest"});
                rss[i] = o.maxRssKB;
                std::printf("peak memory copying %-8s %6lld KB  (%.2f s)\n",
                            i == 0 ? "4 MiB" : "2 GiB", static_cast<long long>(rss[i]), o.seconds);
            }
            fs::remove_all(folder + "/dest");
            fs::remove(big);
            const double grow = static_cast<double>(rss[1]) / static_cast<double>(rss[0]);
            const bool flat = rss[1] - rss[0] < 4096;
            allMet = allMet && flat;
            std::printf("memory 2 GiB / 4 MiB: %.3f (%s)\n", grow,
                        flat ? "independent of file size" : "GROWS WITH FILE SIZE");
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "copy_vs_cp: %s\n", e.what());
        return 2;
    }
    return allMet ? 0 : 1;
}
