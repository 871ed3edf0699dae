#include "playlist/LookupWindow.h"

#include <algorithm>
#include <system_error>
#include <utility>

namespace tw::playlist {

LookupWindow::LookupWindow(const EntryResolver& resolver, LookupThreads threads,
                           bool withRelativePart)
    : m_resolver(resolver)
    , m_withRelativePart(withRelativePart)
    , m_wanted(threads) {
    if (m_wanted.count == 0)
        return;
    if (m_wanted.slowLine.count() == 0) {
        startThreads(m_wanted.count);
    } else if (std::thread::hardware_concurrency() > 1) {
        try {
            startThreads(std::min(m_wanted.fromStart, m_wanted.count));
        } catch (const std::system_error&) {
            // No thread to be had: the lines are looked up on this one.
            m_stop = false;
        }
    }
}

void LookupWindow::startThreads(unsigned count) {
    try {
        while (m_threads.size() < count)
            m_threads.emplace_back([this] { work(); });
    } catch (...) {
        stop();
        for (std::thread& t : m_threads)
            t.join();
        m_threads.clear();
        throw;
    }
    // Four batches a thread keep every thread busy while the owner takes the oldest.
    m_maxBatches = 4 * m_threads.size();
}

LookupWindow::~LookupWindow() {
    stop();
    for (std::thread& t : m_threads)
        t.join();
}

void LookupWindow::add(const std::string& line, bool cutShort, std::uint64_t bytesAfter) {
    if (!m_filling) {
        if (m_spare) {
            m_filling = std::move(m_spare);
        } else {
            m_filling = std::make_unique<Batch>();
            m_filling->lines.reserve(kFastBatchLines);
        }
    }
    Batch& batch = *m_filling;
    // A line of a batch used before keeps its buffer.
    if (m_fillCount == batch.lines.size())
        batch.lines.emplace_back();
    Line& slot = batch.lines[m_fillCount++];
    slot.text.assign(line);
    slot.cutShort = cutShort;
    slot.bytesAfter = bytesAfter;
    if (m_fillCount >= m_batchLines)
        flush();
}

void LookupWindow::flush() {
    if (!m_filling)
        return;
    m_filling->lines.resize(m_fillCount);
    m_fillCount = 0;
    Batch* batch = m_filling.get();
    m_inFlight.push_back(std::move(m_filling));
    if (m_threads.empty())
        return; // resolved when taken
    {
        const std::lock_guard lock(m_mutex);
        m_queue.push_back(batch);
    }
    m_workAdded.notify_one();
}

void LookupWindow::stop() {
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
        m_queue.clear();
    }
    m_workAdded.notify_all();
}

void LookupWindow::resolveBatch(Batch& batch) {
    const auto start = std::chrono::steady_clock::now();
    try {
        batch.entries.reserve(batch.lines.size());
        for (const Line& line : batch.lines) {
            if (m_stop)
                return;
            batch.entries.push_back(
                m_resolver.entryOf(line.text, line.cutShort, m_withRelativePart));
        }
    } catch (...) {
        batch.failure = std::current_exception();
    }
    batch.took = std::chrono::steady_clock::now() - start;
}

void LookupWindow::work() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_workAdded.wait(lock, [this] { return m_stop || !m_queue.empty(); });
        if (m_stop)
            return;
        Batch* batch = m_queue.front();
        m_queue.pop_front();
        lock.unlock();
        resolveBatch(*batch);
        lock.lock();
        batch->done = true;
        m_batchDone.notify_all();
    }
}

bool LookupWindow::take(Done& done, const std::function<bool()>& stillWanted,
                        std::chrono::milliseconds tick) {
    if (m_inFlight.empty())
        flush();
    Batch& oldest = *m_inFlight.front();
    if (m_taken == 0) {
        if (m_threads.empty()) {
            resolveBatch(oldest);
        } else {
            std::unique_lock lock(m_mutex);
            while (!oldest.done && !m_stop) {
                if (m_batchDone.wait_for(lock, tick, [&] { return oldest.done || m_stop; }))
                    break;
                lock.unlock();
                const bool wanted = !stillWanted || stillWanted();
                lock.lock();
                if (!wanted) {
                    lock.unlock();
                    stop();
                    return false;
                }
            }
        }
        if (oldest.failure)
            std::rethrow_exception(oldest.failure);
        // A slow file system: ask it with all the threads from now on. While it answers
        // fast, a few threads (or this one) are enough.
        // One slow batch can be this thread waiting for the processor; several in a row
        // are the file system.
        if (m_threads.size() < m_wanted.count) {
            const bool slow =
                oldest.took > m_wanted.slowLine * static_cast<long>(oldest.lines.size());
            m_slowBatches = slow ? m_slowBatches + 1 : 0;
            m_fastBatches = slow ? 0 : m_fastBatches + 1;
            if (m_slowBatches == kSlowBatchesToStart) {
                startThreads(m_wanted.count);
                m_batchLines = kFirstBatchLines;
            } else if (m_fastBatches == kSlowBatchesToStart) {
                m_batchLines = kFastBatchLines;
            }
        }
    }
    if (m_taken >= oldest.entries.size())
        return false; // stopped before this line was looked up
    Line& line = oldest.lines[m_taken];
    done.entry = std::move(oldest.entries[m_taken]);
    done.bytesAfter = line.bytesAfter;
    if (++m_taken == oldest.lines.size()) {
        m_spare = std::move(m_inFlight.front());
        m_inFlight.pop_front();
        m_taken = 0;
        m_spare->entries.clear();
        m_spare->failure = nullptr;
        m_spare->done = false;
    }
    return true;
}

} // namespace tw::playlist
