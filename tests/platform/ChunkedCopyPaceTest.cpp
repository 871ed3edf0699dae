// How long the copy may hold its caller between two progress calls when the device is slow,
// reached through the write pacer, the copy's clock and the flush pacer: the timing is the
// test's own, so nothing here depends on the machine's speed.
#include "CopyTestFiles.h"
#include "platform/ChunkedCopy.h"
#include "platform/FaultInjection.h"
#include "platform/FileCopy.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

using tw::platform::ChunkedCopy;
using tw::platform::CopyBatch;
using tw::platform::copyFile;
using tw::platform::CopyResult;
using tw::test::folderEntries;
using tw::test::patternBytes;
using tw::test::readFile;
using tw::test::TempFolder;
using tw::test::writeFile;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr std::uint64_t mebibyte = 1024u * 1024u;

// Disarms the seams however the test ends.
struct DisarmedSeams {
    ~DisarmedSeams() {
        ChunkedCopy::setClock({});
        ChunkedCopy::setWritePacer({});
        ChunkedCopy::setFlushPacer({});
    }
};

} // namespace

// A stick takes its first megabytes as fast as memory, then its cache is full and it writes at
// its own pace: a write sized for the fast part must not hold the window for a whole chunk.
TEST(ChunkedCopyPace, ADeviceThatSlowsDownAtOnceNeverHoldsTheProgressLongerThanAStep) {
    const DisarmedSeams disarm;
    Clock::time_point now{};
    std::uint64_t written = 0;
    ChunkedCopy::setClock([&now] { return now; });
    // 4 GB/s for the first 12 MiB (chunks grow to the largest), then 20 MB/s, where one chunk
    // of the largest size takes 420 ms.
    ChunkedCopy::setWritePacer([&](std::uint64_t bytes) {
        const double bytesPerSecond = written < 12 * mebibyte ? 4e9 : 20e6;
        now += std::chrono::nanoseconds(
            static_cast<long long>(static_cast<double>(bytes) * 1e9 / bytesPerSecond));
        written += bytes;
    });
    TempFolder temp;
    const std::string content = patternBytes(28 * mebibyte + 4097, 7);
    writeFile(temp / "stick.flac", content);

    Clock::time_point last = now;
    Clock::duration longest{};
    const CopyResult result =
        copyFile(temp / "stick.flac", temp / "out/stick.flac", [&](std::uint64_t, std::uint64_t) {
            longest = std::max(longest, now - last);
            last = now;
            return true;
        });

    ASSERT_TRUE(result.ok) << "errno " << result.errorNumber;
    EXPECT_GT(written, 12 * mebibyte);
    EXPECT_LE(longest, Clock::duration(100ms))
        << std::chrono::duration_cast<std::chrono::milliseconds>(longest).count() << " ms";
    EXPECT_TRUE(readFile(temp / "out/stick.flac") == content);
}

// A FUSE drive flushes its whole device when a file is flushed, which may take long: the
// progress goes on meanwhile, and a cancel then still waits for the flush before the file is
// closed and removed.
TEST(ChunkedCopyPace, ALongFlushKeepsTheProgressGoingAndACancelWaitsForItsEnd) {
    const DisarmedSeams disarm;
    TempFolder temp;
    // Past the size after which a large file is flushed as it is copied.
    const std::string content = patternBytes(ChunkedCopy::firstFlushBytes + 1, 8);
    writeFile(temp / "long.flac", content);

    for (const bool cancel : {false, true}) {
        SCOPED_TRACE(cancel ? "cancelled while it flushes" : "copied whole");
        std::atomic<bool> flushing{false};
        std::atomic<bool> flushReleased{false};
        std::atomic<int> callsWhileFlushing{0};
        // The flush lasts until the progress has been called three times while it waits (ten
        // seconds at most: then the progress waited for the flush, which is the fault).
        ChunkedCopy::setFlushPacer([&] {
            flushing = true;
            const auto deadline = Clock::now() + 10s;
            while (callsWhileFlushing < 3 && Clock::now() < deadline)
                std::this_thread::sleep_for(1ms);
            // Long enough for a copy that did not wait for the flush to be seen ending first.
            std::this_thread::sleep_for(50ms);
            flushReleased = true;
            flushing = false;
        });
        const std::string target = temp / (cancel ? "cancelled/long.flac" : "whole/long.flac");
        const CopyResult result =
            copyFile(temp / "long.flac", target, [&](std::uint64_t, std::uint64_t) {
                if (flushing)
                    ++callsWhileFlushing;
                return !(cancel && callsWhileFlushing >= 3);
            });
        ChunkedCopy::setFlushPacer({});

        EXPECT_GE(callsWhileFlushing.load(), 3);
        EXPECT_TRUE(flushReleased.load());
        if (cancel) {
            EXPECT_TRUE(result.cancelled);
            EXPECT_TRUE(folderEntries(temp / "cancelled").empty());
        } else {
            ASSERT_TRUE(result.ok) << "errno " << result.errorNumber;
            EXPECT_TRUE(readFile(target) == content);
        }
    }
}

// A host that fails while a group goes to the device: the failure comes out only once the
// flush is over (the group's files are open until then), no file has its name, and the group
// goes on waiting, so that the next commit names it.
TEST(CopyBatchPace, AFailureInTheHostDuringAGroupFlushWaitsForItAndKeepsTheGroupWaiting) {
    const DisarmedSeams disarm;
    TempFolder temp;
    std::atomic<int> pumps{0};
    std::atomic<bool> flushOver{false};
    ChunkedCopy::setFlushPacer([&] {
        const auto deadline = Clock::now() + 10s;
        while (pumps < 3 && Clock::now() < deadline)
            std::this_thread::sleep_for(1ms);
        // Long enough for a commit that did not wait for the flush to be seen ending first.
        std::this_thread::sleep_for(50ms);
        flushOver = true;
    });
    CopyBatch batch;
    batch.whileFlushing([&] {
        if (++pumps == 3)
            throw std::runtime_error("the window failed");
    });
    std::vector<CopyResult> told;
    for (const char* name : {"1.mp3", "2.mp3"}) {
        const std::string source = temp / ("src/" + std::string(name));
        writeFile(source, name);
        batch.copy(source, temp / ("out/" + std::string(name)), {},
                   [&told](const CopyResult& result) { told.push_back(result); });
    }

    EXPECT_THROW(batch.commit(), std::runtime_error);
    EXPECT_TRUE(flushOver.load());
    EXPECT_TRUE(told.empty());
    EXPECT_EQ(batch.waiting(), 2u);
    EXPECT_FALSE(std::filesystem::exists(temp / "out/1.mp3"));

    batch.whileFlushing({});
    batch.commit();
    ASSERT_EQ(told.size(), 2u);
    EXPECT_TRUE(told[0].ok && told[1].ok);
    EXPECT_EQ(readFile(temp / "out/2.mp3"), "2.mp3");
}

// The kernel tells of a failed write once. A group whose flush failed while its host failed too
// waits on; the next commit, whose flush then sees nothing, must still fail those files rather
// than name them as if their data were on the device.
TEST(CopyBatchPace, FlushErrorSeenWhileTheHostFailedIsNotForgottenByTheNextCommit) {
    const DisarmedSeams disarm;
    struct DisarmedFaults {
        ~DisarmedFaults() { tw::platform::clearFileFaults(); }
    } disarmFaults;
    TempFolder temp;
    std::atomic<bool> pumped{false};
    ChunkedCopy::setFlushPacer([&] {
        const auto deadline = Clock::now() + 10s;
        while (!pumped && Clock::now() < deadline)
            std::this_thread::sleep_for(1ms);
    });
    CopyBatch batch;
    batch.whileFlushing([&] {
        pumped = true;
        throw std::runtime_error("the window failed");
    });
    std::vector<CopyResult> told;
    for (const char* name : {"1.mp3", "2.mp3"}) {
        const std::string source = temp / ("src/" + std::string(name));
        writeFile(source, name);
        batch.copy(source, temp / ("out/" + std::string(name)), {},
                   [&told](const CopyResult& result) { told.push_back(result); });
    }
    tw::platform::injectFileFault(tw::platform::FileOperation::Flush, temp / "out", EIO);

    EXPECT_THROW(batch.commit(), std::runtime_error);
    batch.whileFlushing({});
    batch.commit();

    ASSERT_EQ(told.size(), 2u);
    for (const CopyResult& result : told) {
        EXPECT_FALSE(result.ok);
        EXPECT_EQ(result.errorNumber, EIO);
    }
    EXPECT_EQ(batch.waiting(), 0u);
    EXPECT_EQ(folderEntries(temp / "out"), std::vector<std::string>{});
}
