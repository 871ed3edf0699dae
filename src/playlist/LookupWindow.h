#pragma once

#include "playlist/EntryResolver.h"
#include "playlist/LookupThreads.h"
#include "playlist/PlaylistEntry.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace tw::playlist {

// Resolves playlist lines on a few threads of its own, so that a file system that answers
// slowly (a network share, a USB disk) is asked many lookups at once instead of one after
// the other, and hands the entries back in line order. Lines go in small batches; only a
// bounded number of batches is in flight, so memory does not grow with the playlist.
// One thread (the owner's) adds and takes; the lookups run on the others, or on the owner's
// while they are fast (LookupThreads).
class LookupWindow {
public:
    struct Done {
        std::optional<PlaylistEntry> entry; // nothing for a non-entry line
        std::uint64_t bytesAfter = 0;       // bytes of the playlist consumed with this line
    };

    // withRelativePart false: the entries' relative parts are left empty (a reader that only
    // counts).
    LookupWindow(const EntryResolver& resolver, LookupThreads threads,
                 bool withRelativePart = true);
    // Stops the lookups not begun yet and waits for those under way.
    ~LookupWindow();
    LookupWindow(const LookupWindow&) = delete;
    LookupWindow& operator=(const LookupWindow&) = delete;

    // Room for more lines: fewer batches in flight than the window holds.
    bool hasRoom() const { return m_inFlight.size() < m_maxBatches; }
    // Nothing added that was not taken.
    bool empty() const { return m_inFlight.empty() && !m_filling; }

    void add(const std::string& line, bool cutShort, std::uint64_t bytesAfter);
    // Hands a partly filled batch to the threads (at the end of the playlist).
    void flush();

    // The oldest line's entry, waiting for it when needed; while waiting, stillWanted is asked
    // every tick, and its false stops all lookups and returns false. A failure of the lookup
    // is thrown here. There must be a line added and not taken.
    bool take(Done& done, const std::function<bool()>& stillWanted, std::chrono::milliseconds tick);

    // Lookups not begun are not begun; the lines still in flight are dropped.
    void stop();

private:
    struct Line {
        std::string text;
        bool cutShort = false;
        std::uint64_t bytesAfter = 0;
    };
    struct Batch {
        std::vector<Line> lines;
        std::vector<std::optional<PlaylistEntry>> entries;
        std::exception_ptr failure;
        std::chrono::steady_clock::duration took{};
        bool done = false; // guarded by m_mutex
    };

    void resolveBatch(Batch& batch);
    void work();
    // Starts threads until there are that many; the window grows with them.
    void startThreads(unsigned count);

    // Small batches spread a slow file system's lookups over the threads and show its
    // slowness soon; once the lookups have shown themselves fast, larger ones cost fewer
    // hand-overs.
    static constexpr std::size_t kFirstBatchLines = 16;
    static constexpr std::size_t kFastBatchLines = 64;
    static constexpr int kSlowBatchesToStart = 3;

    const EntryResolver& m_resolver;
    bool m_withRelativePart;
    LookupThreads m_wanted;
    std::size_t m_maxBatches = 1;
    std::unique_ptr<Batch> m_filling;
    std::unique_ptr<Batch> m_spare; // the last batch taken, its buffers kept for the next
    std::deque<std::unique_ptr<Batch>> m_inFlight; // in line order
    std::size_t m_fillCount = 0;                   // lines added to the batch being filled
    std::size_t m_taken = 0;                       // lines taken from the oldest batch
    int m_slowBatches = 0;                         // slow batches in a row
    int m_fastBatches = 0;                         // fast batches in a row
    std::size_t m_batchLines = kFirstBatchLines;

    std::mutex m_mutex;
    std::condition_variable m_workAdded;
    std::condition_variable m_batchDone;
    std::deque<Batch*> m_queue; // batches no thread has begun
    std::atomic<bool> m_stop{false};
    std::vector<std::thread> m_threads;
};

} // namespace tw::playlist
