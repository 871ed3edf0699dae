#include "platform/FaultInjection.h"

#include "platform/ChunkedCopy.h"

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include <unistd.h>

namespace tw::platform {

namespace {

struct Fault {
    FileOperation operation;
    std::string path;
    int error;
    int count;
};

std::atomic<bool> g_armed{false};
std::mutex g_mutex;
std::vector<Fault> g_faults;

bool covers(const std::string& faultPath, const std::string& path) {
    if (path.size() < faultPath.size() || path.compare(0, faultPath.size(), faultPath) != 0)
        return false;
    return path.size() == faultPath.size() || path[faultPath.size()] == '/' ||
           faultPath.back() == '/';
}

} // namespace

void injectFileFault(FileOperation operation, const std::string& path, int error, int count) {
    const std::lock_guard lock(g_mutex);
    g_faults.push_back({operation, path, error, count});
    g_armed = true;
}

void clearFileFaults() {
    const std::lock_guard lock(g_mutex);
    g_faults.clear();
    g_armed = false;
}

int takeFileFault(FileOperation operation, const std::string& path) {
    if (!g_armed)
        return 0;
    const std::lock_guard lock(g_mutex);
    for (auto it = g_faults.begin(); it != g_faults.end(); ++it) {
        if (it->operation != operation || !covers(it->path, path))
            continue;
        const int error = it->error;
        if (--it->count <= 0)
            g_faults.erase(it);
        g_armed = !g_faults.empty();
        return error;
    }
    return 0;
}

int takeFileFault(FileOperation operation, int fd) {
    if (!g_armed)
        return 0;
    const std::string link = "/proc/self/fd/" + std::to_string(fd);
    std::string target(4096, '\0');
    const ssize_t n = ::readlink(link.c_str(), target.data(), target.size());
    if (n <= 0)
        return 0;
    target.resize(static_cast<std::size_t>(n));
    return takeFileFault(operation, target);
}

namespace {

ChunkedCopy::WritePacer& pacer() {
    static ChunkedCopy::WritePacer instance;
    return instance;
}

} // namespace

void ChunkedCopy::setWritePacer(WritePacer p) {
    pacer() = std::move(p);
}

void pacedWrite(std::uint64_t bytes) {
    if (pacer())
        pacer()(bytes);
}

namespace {

ChunkedCopy::Clock& clock() {
    static ChunkedCopy::Clock instance;
    return instance;
}

ChunkedCopy::FlushPacer& flushPacer() {
    static ChunkedCopy::FlushPacer instance;
    return instance;
}

} // namespace

void ChunkedCopy::setClock(Clock c) {
    clock() = std::move(c);
}

std::chrono::steady_clock::time_point copyClockNow() {
    return clock() ? clock()() : std::chrono::steady_clock::now();
}

// Set only while no copy runs: the flushing thread reads it.
void ChunkedCopy::setFlushPacer(FlushPacer p) {
    flushPacer() = std::move(p);
}

void pacedFlush() {
    if (flushPacer())
        flushPacer()();
}

namespace {

std::atomic<bool> g_lookupPacerArmed{false};
std::function<void(const std::string&)> g_lookupPacer; // read only while armed

} // namespace

void setLookupPacer(std::function<void(const std::string& path)> pacer) {
    g_lookupPacerArmed.store(false, std::memory_order_release);
    g_lookupPacer = std::move(pacer);
    g_lookupPacerArmed.store(static_cast<bool>(g_lookupPacer), std::memory_order_release);
}

void pacedLookup(const std::string& path) {
    if (g_lookupPacerArmed.load(std::memory_order_acquire))
        g_lookupPacer(path);
}

} // namespace tw::platform
