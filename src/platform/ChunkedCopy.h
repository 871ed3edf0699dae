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
// (copy_file_range) where it can, else through a buffer of at most one chunk, and calls the
// progress after each chunk. A chunk is sized by time, not bytes: it starts small and then
// follows the measured throughput so that each takes about chunkTarget, never more than
// copyChunkBytes. A window that pumps its events in the progress stays responsive on a slow
// stick as on a fast disk.
class ChunkedCopy {
public:
    static constexpr std::chrono::milliseconds chunkTarget{50};
    static constexpr std::uint64_t firstChunkBytes = 256u * 1024u;
    static constexpr std::uint64_t smallestChunkBytes = 64u * 1024u;
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

    enum class Outcome { Done, Cancelled, Failed };

    // total: the source's size when it was opened; the copy stops there, and fails with
    // sourceShrankError when the file ends before.
    ChunkedCopy(int in, int out, std::uint64_t total, const CopyProgress& progress);

    // Exceptions from the progress callback pass through.
    Outcome run();

    int errorNumber() const { return m_errorNumber; }
    std::uint64_t bytesDone() const { return m_done; }

private:
    std::optional<std::uint64_t> kernelChunk();
    std::optional<std::uint64_t> bufferedChunk();
    bool writeAll(const char* data, std::size_t size);
    std::nullopt_t fail(int errorNumber);
    void resize(std::uint64_t moved, std::chrono::steady_clock::duration took);
    bool writeBehind(std::uint64_t chunkStart, std::uint64_t chunkEnd);
    enum class Flush { NotDue, Done, Failed };
    Flush flushIfDue();

    int m_in;
    int m_out;
    std::uint64_t m_total;
    std::uint64_t m_done = 0;
    std::uint64_t m_chunkBytes = firstChunkBytes;
    std::uint64_t m_behindFrom = 0; // where the chunks not yet waited for begin
    std::uint64_t m_sinceFlush = 0; // bytes written since the device's cache was flushed
    std::uint64_t m_flushEvery = firstFlushBytes;
    const CopyProgress& m_progress;
    bool m_kernelCopy = true;
    std::unique_ptr<char[]> m_buffer;
    std::size_t m_bufferSize = 0;
    int m_errorNumber = 0;
};

} // namespace tw::platform
