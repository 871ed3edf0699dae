#include "platform/ChunkedCopy.h"

#include "platform/FaultInjection.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <utility>

#include <fcntl.h>
#include <unistd.h>

namespace tw::platform {

namespace {

// Smallest buffer of the read/write way; small files get no more than this.
constexpr std::size_t minBufferBytes = 64 * 1024;

// The kernel cannot copy between these two files (other file systems, no support, special
// files); read and write can.
bool needsPlainCopy(int error) {
    return error == EXDEV || error == ENOSYS || error == EINVAL || error == EOPNOTSUPP ||
           error == ENOTSUP || error == EBADF || error == ETXTBSY || error == EPERM;
}

} // namespace

ChunkedCopy::ChunkedCopy(int in, int out, std::uint64_t total, const CopyProgress& progress)
    : m_in(in)
    , m_out(out)
    , m_total(total)
    , m_progress(progress) {}

ChunkedCopy::Outcome ChunkedCopy::run() {
    for (;;) {
        const auto started = std::chrono::steady_clock::now();
        std::optional<std::uint64_t> moved;
        if (m_kernelCopy) {
            moved = kernelChunk();
            // Some file systems report an early end to the kernel copy; plain reads tell the
            // truth.
            if (m_kernelCopy && moved == 0u && m_done < m_total)
                m_kernelCopy = false;
            if (!m_kernelCopy && moved == 0u)
                continue;
        } else {
            moved = bufferedChunk();
        }
        if (!moved)
            return Outcome::Failed;
        // The source was cut while it was read: a copy short of the size it had when opened
        // is no copy.
        if (*moved == 0) {
            if (m_done < m_total) {
                fail(sourceShrankError);
                return Outcome::Failed;
            }
            return Outcome::Done;
        }
        if (!writeBehind(m_done, m_done + *moved))
            return Outcome::Failed;
        m_done += *moved;
        resize(*moved, std::chrono::steady_clock::now() - started);
        if (m_progress && !m_progress(m_done, m_total))
            return Outcome::Cancelled;
        const Flush flush = flushIfDue();
        if (flush == Flush::Failed)
            return Outcome::Failed;
        if (flush == Flush::Done && m_progress && !m_progress(m_done, m_total))
            return Outcome::Cancelled;
        // The size the source had when it was opened is what is copied; no extra call is
        // spent to hear the end of the file.
        if (m_done >= m_total)
            return Outcome::Done;
    }
}

// The next chunk moves what the last one's throughput moves in chunkTarget, growing at most
// fourfold at a time so that one fast burst into the page cache cannot make a chunk that a
// slow device then takes seconds to swallow.
void ChunkedCopy::resize(std::uint64_t moved, std::chrono::steady_clock::duration took) {
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(took).count();
    const std::uint64_t targetNs =
        std::chrono::duration_cast<std::chrono::nanoseconds>(chunkTarget).count();
    std::uint64_t next = copyChunkBytes;
    if (ns > 0 && moved < (UINT64_MAX / targetNs))
        next = moved * targetNs / static_cast<std::uint64_t>(ns);
    next = std::min(next, m_chunkBytes * 4);
    m_chunkBytes = std::clamp(next, smallestChunkBytes, copyChunkBytes);
}

// A file of more than one chunk goes to the device as it is copied: each chunk's writeback
// starts at once. For a file larger than the largest chunk, the chunk before is also waited
// for, so the page cache never holds more than two chunks of it and a chunk takes as long as
// the device needs (on a slow stick too, which the cache would otherwise hide until a flush
// blocks for seconds). Smaller files are left to the group's flush, which takes them
// together. A write error seen here fails the copy at once: the kernel reports it only once.
bool ChunkedCopy::writeBehind(std::uint64_t chunkStart, std::uint64_t chunkEnd) {
    if (m_total <= firstChunkBytes)
        return true;
    const auto realFailure = [this](int error) {
        // A file system without this way of flushing is flushed as a whole later.
        if (error == ENOSYS || error == EINVAL || error == EOPNOTSUPP || error == ESPIPE)
            return false;
        fail(error);
        return true;
    };
    if (::sync_file_range(m_out, static_cast<off64_t>(chunkStart),
                          static_cast<off64_t>(chunkEnd - chunkStart),
                          SYNC_FILE_RANGE_WRITE) != 0 &&
        realFailure(errno))
        return false;
    if (m_total > copyChunkBytes && m_behindFrom < chunkStart) {
        const int injected = takeFileFault(FileOperation::Flush, m_out);
        if (injected != 0) {
            fail(injected);
            return false;
        }
        if (::sync_file_range(m_out, static_cast<off64_t>(m_behindFrom),
                              static_cast<off64_t>(chunkStart - m_behindFrom),
                              SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE |
                                  SYNC_FILE_RANGE_WAIT_AFTER) != 0 &&
            realFailure(errno))
            return false;
    }
    m_behindFrom = chunkStart;

    m_sinceFlush += chunkEnd - chunkStart;
    return true;
}

// Flushes the file from the device's cache when enough has been written since the last time
// (at the end, whatever is left of a large file), and sizes the next flush to take about
// chunkTarget. Runs as a step of its own, between two passes of the progress.
ChunkedCopy::Flush ChunkedCopy::flushIfDue() {
    const bool atEnd = m_done >= m_total && m_total > firstFlushBytes;
    if (m_sinceFlush == 0 || (m_sinceFlush < m_flushEvery && !atEnd))
        return Flush::NotDue;
    const auto started = std::chrono::steady_clock::now();
    const int injected = takeFileFault(FileOperation::Flush, m_out);
    if (injected != 0 || ::fdatasync(m_out) != 0) {
        fail(injected != 0 ? injected : errno);
        return Flush::Failed;
    }
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(
                        std::chrono::steady_clock::now() - started)
                        .count();
    const std::uint64_t targetNs =
        std::chrono::duration_cast<std::chrono::nanoseconds>(chunkTarget).count();
    std::uint64_t next = m_flushEvery * 4;
    if (ns > 0 && m_sinceFlush < UINT64_MAX / targetNs)
        next = std::min(next, m_sinceFlush * targetNs / static_cast<std::uint64_t>(ns));
    if (!atEnd)
        m_flushEvery = std::clamp(next, copyChunkBytes, largestFlushBytes);
    m_sinceFlush = 0;
    return Flush::Done;
}

std::optional<std::uint64_t> ChunkedCopy::kernelChunk() {
    std::uint64_t moved = 0;
    while (moved < m_chunkBytes && m_done + moved < m_total) {
        const std::uint64_t want = std::min(m_chunkBytes - moved, m_total - m_done - moved);
        const int injected = takeFileFault(FileOperation::Write, m_out);
        const ssize_t n = injected != 0 ? (errno = injected, -1)
                                        : ::copy_file_range(m_in, nullptr, m_out, nullptr, want, 0);
        if (n > 0) {
            moved += static_cast<std::uint64_t>(n);
            pacedWrite(static_cast<std::uint64_t>(n));
            continue;
        }
        if (n == 0)
            break;
        if (errno == EINTR)
            continue;
        if (!needsPlainCopy(errno))
            return fail(errno);
        // Both file offsets stand where the kernel stopped; the plain copy goes on from there.
        m_kernelCopy = false;
        break;
    }
    return moved;
}

std::optional<std::uint64_t> ChunkedCopy::bufferedChunk() {
    if (!m_buffer) {
        const std::uint64_t left = m_total - std::min(m_total, m_done);
        m_bufferSize = static_cast<std::size_t>(
            std::clamp<std::uint64_t>(left + 1, minBufferBytes, copyChunkBytes));
        m_buffer = std::make_unique<char[]>(m_bufferSize);
    }
    std::uint64_t moved = 0;
    while (moved < m_chunkBytes && m_done + moved < m_total) {
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(
            {m_bufferSize, m_chunkBytes - moved, m_total - m_done - moved}));
        const ssize_t n = ::read(m_in, m_buffer.get(), want);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return fail(errno);
        }
        if (n == 0)
            break;
        if (!writeAll(m_buffer.get(), static_cast<std::size_t>(n)))
            return std::nullopt;
        moved += static_cast<std::uint64_t>(n);
    }
    return moved;
}

bool ChunkedCopy::writeAll(const char* data, std::size_t size) {
    while (size > 0) {
        const int injected = takeFileFault(FileOperation::Write, m_out);
        const ssize_t n = injected != 0 ? (errno = injected, -1) : ::write(m_out, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            fail(errno);
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
        pacedWrite(static_cast<std::uint64_t>(n));
    }
    return true;
}

std::nullopt_t ChunkedCopy::fail(int errorNumber) {
    m_errorNumber = errorNumber;
    return std::nullopt;
}

} // namespace tw::platform
