#pragma once

#include "copy/CollisionPolicy.h"
#include "copy/CopyHost.h"
#include "copy/CopyTypes.h"
#include "platform/FileCopy.h"

#include <cstdint>
#include <functional>
#include <string>

namespace tw::copy {

// A millisecond tick counter that wraps at 2^32, like the system's tick count.
using TickClock = std::function<std::uint32_t()>;
TickClock systemTickClock();

// One copy run: reads the playlist again, copies each existing entry into the destination
// and counts every outcome. Reaches the user only through the host.
class CopyPlayList {
public:
    enum class End { Completed, Cancelled, Failed };

    // The start tick is taken here.
    CopyPlayList(const RunSetup& setup, CopyHost& host, TickClock clock = systemTickClock());

    // Runs to the end of the playlist, a confirmed stop, or a failure. A failure is reported
    // to the error reporter; the counters keep what they counted. The destination's file
    // system is flushed before this returns, however the run ended.
    End run();

    const RunCounters& counters() const { return m_counters; }
    std::int64_t processedKB() const { return m_processedKB; }
    std::uint32_t pausedMs() const { return m_pausedMs; }
    std::string failureReason() const { return m_failureReason; }

private:
    enum class Step { Next, EndCancelled };

    void walk(End& end);
    void finish();
    void copyEntry(const std::string& source, const std::string& relativePart);
    std::string targetFor(const std::string& relativePart) const;
    void copyCounted(const std::string& source, const std::string& target, std::int32_t& counter);
    Step afterEntry();
    void showElapsed();

    RunSetup m_setup;
    CopyHost& m_host;
    TickClock m_clock;
    std::uint32_t m_startTick = 0;
    std::uint32_t m_pausedMs = 0;
    std::int64_t m_processedKB = 0;
    RunCounters m_counters;
    CollisionPolicy m_policy;
    std::string m_failureReason;
    platform::CopyBatch m_batch;
};

} // namespace tw::copy
