#include "platform/ChunkedCopy.h"

#include "platform/FaultInjection.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <future>
#include <system_error>
#include <utility>

#include <fcntl.h>
#include <unistd.h>

namespace tw::platform {

namespace {

using Clock = std::chrono::steady_clock;

// Smallest buffer of the read/write way; small files get no more than this.
constexpr std::size_t minBufferBytes = 64 * 1024;

// The kernel cannot copy between these two files (other file systems, no support, special
// files); read and write can.
bool needsPlainCopy(int error) {
    return error == EXDEV || error == ENOSYS || error == EINVAL || error == EOPNOTSUPP ||
           error == ENOTSUP || error == EBADF || error == ETXTBSY || error == EPERM;
}

// The next size of a step that moved `moved` bytes in `took`: what that pace moves in
// `target`, growing at most fourfold at a time so that one fast burst into the page cache
// cannot make a step that a slow device then takes seconds to swallow.
std::uint64_t sizedByTime(std::uint64_t moved, Clock::duration took,
                          std::chrono::milliseconds target, std::uint64_t current,
                          std::uint64_t smallest, std::uint64_t largest) {
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(took).count();
    const std::uint64_t targetNs =
        std::chrono::duration_cast<std::chrono::nanoseconds>(target).count();
    std::uint64_t next = largest;
    if (ns > 0 && moved < (UINT64_MAX / targetNs))
        next = moved * targetNs / static_cast<std::uint64_t>(ns);
    if (current < UINT64_MAX / 4)
        next = std::min(next, current * 4);
    return std::clamp(next, smallest, largest);
}

} // namespace

ChunkedCopy::ChunkedCopy(int in, int out, std::uint64_t total, const CopyProgress& progress)
    : m_in(in)
    , m_out(out)
    , m_total(total)
    , m_progress(progress) {}

ChunkedCopy::Outcome ChunkedCopy::run() {
    const auto outcome = [](Step step) {
        return step == Step::Cancelled ? Outcome::Cancelled : Outcome::Failed;
    };
    m_lastReport = copyClockNow();
    for (;;) {
        const auto started = copyClockNow();
        const std::uint64_t chunkStart = m_done;
        const Step copied = copyChunk(std::min(m_total, m_done + m_chunkBytes));
        if (copied != Step::Done)
            return outcome(copied);
        // The source was cut while it was read: a copy short of the size it had when opened
        // is no copy.
        if (m_done == chunkStart) {
            if (m_done < m_total) {
                fail(sourceShrankError);
                return Outcome::Failed;
            }
            return Outcome::Done;
        }
        if (const Step waited = waitBehind(chunkStart); waited != Step::Done)
            return outcome(waited);
        m_chunkBytes = sizedByTime(m_done - chunkStart, copyClockNow() - started, chunkTarget,
                                   m_chunkBytes, smallestChunkBytes, copyChunkBytes);
        if (!report())
            return Outcome::Cancelled;
        if (const Step flushed = flushIfDue(); flushed != Step::Done)
            return outcome(flushed);
        // The size the source had when it was opened is what is copied; no extra call is
        // spent to hear the end of the file.
        if (m_done >= m_total)
            return Outcome::Done;
    }
}

bool ChunkedCopy::report() {
    m_lastReport = copyClockNow();
    return !m_progress || m_progress(m_done, m_total);
}

bool ChunkedCopy::reportIfDue() {
    return copyClockNow() - m_lastReport < progressEvery || report();
}

// Moves the bytes up to chunkEnd a step at a time, each step sized by the pace of the last,
// and starts their writeback: a file larger than a chunk, which fills the device's queue, a
// step at a time, so that no start waits long for room in the queue; a smaller one once for
// the chunk, which costs less where the device is fast. Stops short where the source ends.
ChunkedCopy::Step ChunkedCopy::copyChunk(std::uint64_t chunkEnd) {
    const bool stepWriteback = m_total > copyChunkBytes;
    std::uint64_t unstarted = m_done; // where the writeback not yet started begins
    while (m_done < chunkEnd) {
        const std::uint64_t want = std::min(m_stepBytes, chunkEnd - m_done);
        const auto started = copyClockNow();
        std::optional<std::uint64_t> moved;
        if (m_kernelCopy) {
            moved = kernelStep(want);
            // Some file systems report an early end to the kernel copy; plain reads tell the
            // truth. Where the kernel cannot copy at all, plain reads go on from here too.
            if (moved == 0u) {
                m_kernelCopy = false;
                continue;
            }
        } else {
            moved = bufferedStep(want);
        }
        if (!moved)
            return Step::Failed;
        if (*moved == 0)
            break;
        m_done += *moved;
        if (stepWriteback) {
            if (!startWriteback(unstarted, m_done - unstarted))
                return Step::Failed;
            unstarted = m_done;
        }
        m_stepBytes = sizedByTime(*moved, copyClockNow() - started, stepTarget, m_stepBytes,
                                  smallestChunkBytes, largestStepBytes);
        // The chunk's end reports anyway.
        if (m_done < chunkEnd && !reportIfDue())
            return Step::Cancelled;
    }
    if (m_done > unstarted && !startWriteback(unstarted, m_done - unstarted))
        return Step::Failed;
    return Step::Done;
}

// sync_file_range on the output; 0, or the error of a real failure. A file system without
// this way of flushing is flushed as a whole later.
int ChunkedCopy::syncRange(std::uint64_t from, std::uint64_t length, unsigned flags) {
    if (::sync_file_range(m_out, static_cast<off64_t>(from), static_cast<off64_t>(length), flags) ==
        0)
        return 0;
    const int error = errno;
    return error == ENOSYS || error == EINVAL || error == EOPNOTSUPP || error == ESPIPE ? 0 : error;
}

// A file of more than the first chunk goes to the device as it is copied. Smaller files are
// left to the group's flush, which takes them together. A write error seen here fails the
// copy at once: the kernel reports it only once.
bool ChunkedCopy::startWriteback(std::uint64_t from, std::uint64_t length) {
    if (m_total <= firstChunkBytes)
        return true;
    if (const int error = syncRange(from, length, SYNC_FILE_RANGE_WRITE)) {
        fail(error);
        return false;
    }
    m_sinceFlush += length;
    return true;
}

// For a file larger than the largest chunk, the chunk before the one just written is waited
// for, so the page cache never holds more than two chunks of it and a chunk takes as long as
// the device needs (on a slow stick too, which the cache would otherwise hide until a flush
// blocks for seconds). The wait goes a step at a time, each sized by the pace of the last,
// with the progress between.
ChunkedCopy::Step ChunkedCopy::waitBehind(std::uint64_t chunkStart) {
    if (m_total <= copyChunkBytes || m_behindFrom >= chunkStart) {
        m_behindFrom = chunkStart;
        return Step::Done;
    }
    if (const int injected = takeFileFault(FileOperation::Flush, m_out)) {
        fail(injected);
        return Step::Failed;
    }
    while (m_behindFrom < chunkStart) {
        const std::uint64_t length = std::min(m_waitStepBytes, chunkStart - m_behindFrom);
        const auto started = copyClockNow();
        if (const int error = syncRange(m_behindFrom, length,
                                        SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE |
                                            SYNC_FILE_RANGE_WAIT_AFTER)) {
            fail(error);
            return Step::Failed;
        }
        m_behindFrom += length;
        m_waitStepBytes = sizedByTime(length, copyClockNow() - started, stepTarget, m_waitStepBytes,
                                      smallestChunkBytes, largestStepBytes);
        if (m_behindFrom < chunkStart && !reportIfDue())
            return Step::Cancelled;
    }
    return Step::Done;
}

// Flushes the file from the device's cache when enough has been written since the last time
// (at the end, whatever is left of a large file), and sizes the next flush to take about
// chunkTarget. Runs as a step of its own, after the chunk's progress, and reports again once
// it is over.
ChunkedCopy::Step ChunkedCopy::flushIfDue() {
    const bool atEnd = m_done >= m_total && m_total > firstFlushBytes;
    if (m_sinceFlush == 0 || (m_sinceFlush < m_flushEvery && !atEnd))
        return Step::Done;
    const auto started = copyClockNow();
    if (const int injected = takeFileFault(FileOperation::Flush, m_out)) {
        fail(injected);
        return Step::Failed;
    }
    bool cancelled = false;
    if (const int error = flushWhileReporting(cancelled)) {
        fail(error);
        return Step::Failed;
    }
    if (cancelled)
        return Step::Cancelled;
    if (!atEnd)
        m_flushEvery = sizedByTime(m_sinceFlush, copyClockNow() - started, chunkTarget,
                                   m_flushEvery, copyChunkBytes, largestFlushBytes);
    m_sinceFlush = 0;
    return report() ? Step::Done : Step::Cancelled;
}

// fdatasync of the output on a thread of its own, which touches nothing but the file; this
// thread goes on reporting progress until it is over (a FUSE drive flushes its whole device
// here, which may take long). The copy goes on only after it, so what it flushed is on the
// device before anything later is written, and the file stays open until it is over, however
// the wait ends (a cancel, an exception from the progress). Returns 0 or the errno.
int ChunkedCopy::flushWhileReporting(bool& cancelled) {
    const int fd = m_out;
    const auto flush = [fd] {
        pacedFlush();
        return ::fdatasync(fd) == 0 ? 0 : errno;
    };
    std::future<int> flushed;
    try {
        flushed = std::async(std::launch::async, flush);
    } catch (const std::system_error&) {
        return flush(); // no thread to be had: the flush is waited for here
    }
    // The future's end waits for the thread, should the progress throw.
    while (flushed.wait_for(progressEvery) != std::future_status::ready) {
        if (!report()) {
            cancelled = true;
            break;
        }
    }
    return flushed.get();
}

std::optional<std::uint64_t> ChunkedCopy::kernelStep(std::uint64_t want) {
    std::uint64_t moved = 0;
    while (moved < want) {
        const int injected = takeFileFault(FileOperation::Write, m_out);
        const ssize_t n = injected != 0
                              ? (errno = injected, -1)
                              : ::copy_file_range(m_in, nullptr, m_out, nullptr, want - moved, 0);
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

std::optional<std::uint64_t> ChunkedCopy::bufferedStep(std::uint64_t want) {
    if (!m_buffer) {
        const std::uint64_t left = m_total - std::min(m_total, m_done);
        m_bufferSize = static_cast<std::size_t>(
            std::clamp<std::uint64_t>(left + 1, minBufferBytes, largestStepBytes));
        m_buffer = std::make_unique<char[]>(m_bufferSize);
    }
    std::uint64_t moved = 0;
    while (moved < want) {
        const std::size_t size =
            static_cast<std::size_t>(std::min<std::uint64_t>(m_bufferSize, want - moved));
        const ssize_t n = ::read(m_in, m_buffer.get(), size);
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
