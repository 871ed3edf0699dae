#pragma once

#include "platform/FileCopy.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace tw::platform {

// Moves the bytes of one open file to the end of another in chunks, inside the kernel
// (copy_file_range) where it can, else through a buffer of at most one step, and calls the
// progress after each chunk. A chunk is sized by time, not bytes: it starts small and then
// follows the measured throughput so that each takes about chunkTarget, never more than
// copyChunkBytes. Within a chunk every system call that may wait for the device (a write, a
// wait for the chunk before to reach it) moves only what the last one moved in about
// stepTarget, and the progress is called between two of them whenever progressEvery has
// passed; a large file's periodic flush runs on a thread of its own while the progress goes
// on. A window that pumps its events in the progress stays responsive on a slow stick, a loop
// device or a FUSE drive as on a fast disk.
class ChunkedCopy {
public:
    static constexpr std::chrono::milliseconds chunkTarget{50};
    static constexpr std::uint64_t firstChunkBytes = 256u * 1024u;
    static constexpr std::uint64_t smallestChunkBytes = 64u * 1024u;
    // One write or wait is sized to take about stepTarget, within smallestChunkBytes and
    // largestStepBytes: a device that slows down at once holds the caller for one step of the
    // old size at the new pace, not for a chunk. (A wait for data already on the device takes
    // no time at all and tells nothing of its pace: waits stay within the same bound.)
    static constexpr std::chrono::milliseconds stepTarget{10};
    static constexpr std::uint64_t largestStepBytes = 1024u * 1024u;
    // The longest the progress waits while steps follow each other.
    static constexpr std::chrono::milliseconds progressEvery{15};
    // A large file is flushed from the device's own cache as it is copied, first after this
    // many bytes, then as often as lets one flush take about chunkTarget, within these
    // bounds; the flush before it is named then has little left to do.
    static constexpr std::uint64_t firstFlushBytes = 64u * 1024u * 1024u;
    static constexpr std::uint64_t largestFlushBytes = 1024u * 1024u * 1024u;

    // Called after each write with its byte count; a benchmark slows the device down here.
    // Empty for the real thing.
    using WritePacer = std::function<void(std::uint64_t bytes)>;
    // A seam for tests and benchmarks (built into them alone): called after each write.
    static void setWritePacer(WritePacer pacer);
    // The clock the copy times its steps by; empty for the steady clock. A seam for tests
    // (built into them alone), whose write pacer moves it on as a slow device would.
    using Clock = std::function<std::chrono::steady_clock::time_point()>;
    static void setClock(Clock clock);
    // Called on the flushing thread before each flush of a large file while it is copied and
    // of a CopyBatch's group; a test holds the flush there as a device that needs long for it
    // would. A seam for tests.
    using FlushPacer = std::function<void()>;
    static void setFlushPacer(FlushPacer pacer);

    enum class Outcome { Done, Cancelled, Failed };

    // total: the source's size when it was opened; the copy stops there, and fails with
    // sourceShrankError when the file ends before.
    ChunkedCopy(int in, int out, std::uint64_t total, const CopyProgress& progress);

    // Exceptions from the progress callback pass through (after a flush in progress ended).
    Outcome run();

    int errorNumber() const { return m_errorNumber; }
    std::uint64_t bytesDone() const { return m_done; }

private:
    // How a step of the copy ended.
    enum class Step { Done, Cancelled, Failed };

    Step copyChunk(std::uint64_t chunkEnd);
    std::optional<std::uint64_t> kernelStep(std::uint64_t want);
    std::optional<std::uint64_t> bufferedStep(std::uint64_t want);
    bool writeAll(const char* data, std::size_t size);
    std::nullopt_t fail(int errorNumber);
    bool startWriteback(std::uint64_t from, std::uint64_t length);
    Step waitBehind(std::uint64_t chunkStart);
    int syncRange(std::uint64_t from, std::uint64_t length, unsigned flags);
    Step flushIfDue();
    int flushWhileReporting(bool& cancelled);
    bool report();
    bool reportIfDue();

    int m_in;
    int m_out;
    std::uint64_t m_total;
    std::uint64_t m_done = 0;
    std::uint64_t m_chunkBytes = firstChunkBytes;
    std::uint64_t m_stepBytes = firstChunkBytes;     // of one write
    std::uint64_t m_waitStepBytes = firstChunkBytes; // of one wait for the device
    std::uint64_t m_behindFrom = 0;                  // where the chunks not yet waited for begin
    std::uint64_t m_sinceFlush = 0; // bytes written since the device's cache was flushed
    std::uint64_t m_flushEvery = firstFlushBytes;
    std::chrono::steady_clock::time_point m_lastReport;
    const CopyProgress& m_progress;
    bool m_kernelCopy = true;
    std::unique_ptr<char[]> m_buffer;
    std::size_t m_bufferSize = 0;
    int m_errorNumber = 0;
};

} // namespace tw::platform
