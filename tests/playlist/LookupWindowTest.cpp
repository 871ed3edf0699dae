#include "playlist/LookupWindow.h"
#include "playlist/ListScan.h"

#include "platform/FaultInjection.h"
#include "platform/FileSystem.h"
#include "playlist/PlaylistReader.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace tw::playlist {
namespace {

using Outcome = ScanResult::Outcome;

// A playlist of every kind of line, long enough to spread over many batches and threads:
// found and missing entries, duplicates, other extensions, header and comment lines, PLS
// keys, root-relative and absolute entries. Each file has a size of its own, so that a
// count taken from the wrong line shows in the sum.
class ParallelScanTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string bytes = "#EXTM3U\r\n[playlist]\r\n";
        for (int i = 0; i < 400; ++i) {
            const std::string n = std::to_string(i);
            if (i % 3 == 0)
                test::writeFile(m_tmp / ("lists/m/" + n + ".mp3"), std::string(i * 37, 'x'));
            if (i % 7 == 0)
                test::writeFile(m_tmp / ("lists/m/" + n + ".MP3"), std::string(2000 + i, 'y'));
            bytes += "m/" + n + ".mp3\r\n";
            bytes += (i % 5 == 0 ? "m\\" : "#EXTINF:1,x\r\n\\m\\") + n + ".MP3\r\n";
            if (i % 4 == 0)
                bytes += "File" + n + "=" + m_tmp / ("lists/m/" + n + ".mp3") + "\r\n";
            if (i % 11 == 0)
                bytes += "Title" + n + "=t\r\n\r\n# comment\r\nm/" + n + ".mp3\r\n";
        }
        test::writeFile(list(), bytes);
    }
    std::string list() const { return m_tmp / "lists/list.m3u"; }

    struct Run {
        ScanResult result;
        std::vector<std::uint64_t> progress;
    };
    // cancelAt: the progress call that answers false (0: none).
    Run scan(bool onlyMp3, LookupThreads threads, std::size_t cancelAt = 0) {
        Run run;
        run.result = scanPlaylist(
            list(), onlyMp3,
            [&](std::uint64_t consumed) {
                // A repeat of the last figure is the scan waiting for a lookup.
                if (run.progress.empty() || run.progress.back() != consumed)
                    run.progress.push_back(consumed);
                return cancelAt == 0 || run.progress.size() < cancelAt;
            },
            threads);
        return run;
    }

    test::TempFolder m_tmp;
};

TEST_F(ParallelScanTest, ParallelLookupsGiveTheSerialCountsSizesAndProgress) {
    for (const bool onlyMp3 : {false, true}) {
        const Run serial = scan(onlyMp3, {.count = 0});
        ASSERT_EQ(serial.result.outcome, Outcome::Completed);
        ASSERT_GT(serial.result.count, 150);
        ASSERT_GT(serial.progress.size(), 50u);
        // One thread, three and eight from the start, and as a scan begins: one thread that
        // lets more join when the lookups are slow.
        for (const LookupThreads threads :
             {LookupThreads{1, {}}, LookupThreads{3, {}}, LookupThreads{8, {}}, LookupThreads{}}) {
            SCOPED_TRACE(std::to_string(threads.count) + " threads, onlyMp3 " +
                         std::to_string(onlyMp3));
            const Run parallel = scan(onlyMp3, threads);
            EXPECT_EQ(parallel.result.outcome, Outcome::Completed);
            EXPECT_EQ(parallel.result.count, serial.result.count);
            EXPECT_EQ(parallel.result.sizeKB, serial.result.sizeKB);
            EXPECT_EQ(parallel.progress, serial.progress);

            // Cancelled half way, the partial figures are those of the same lines.
            const Run serialCut = scan(onlyMp3, {.count = 0}, 37);
            const Run parallelCut = scan(onlyMp3, threads, 37);
            EXPECT_EQ(parallelCut.result.outcome, Outcome::Cancelled);
            EXPECT_EQ(parallelCut.result.count, serialCut.result.count);
            EXPECT_EQ(parallelCut.result.sizeKB, serialCut.result.sizeKB);
            EXPECT_LT(parallelCut.result.count, serial.result.count);
        }
    }
}

TEST_F(ParallelScanTest, EntriesLookedUpAsideComeInTheRunsOrderAndAgreeWithIt) {
    // The copy run reads one entry after the other.
    std::vector<std::optional<PlaylistEntry>> byRun;
    {
        PlaylistReader reader(list(), list());
        std::optional<PlaylistEntry> entry;
        while (reader.readLine(entry))
            byRun.push_back(entry);
    }
    PlaylistReader reader(list(), list());
    std::vector<std::optional<PlaylistEntry>> aside;
    {
        LookupWindow window(reader.resolver(), {8, {}});
        std::string line;
        bool cutShort = false;
        bool more = true;
        while (more || !window.empty()) {
            while (more && window.hasRoom()) {
                more = reader.readRawLine(line, cutShort);
                if (more)
                    window.add(line, cutShort, reader.bytesConsumed());
                else
                    window.flush();
            }
            if (window.empty())
                break;
            LookupWindow::Done done;
            ASSERT_TRUE(window.take(done, {}, std::chrono::milliseconds(100)));
            aside.push_back(done.entry);
        }
    }
    ASSERT_EQ(aside.size(), byRun.size());
    for (std::size_t i = 0; i < aside.size(); ++i) {
        SCOPED_TRACE("line " + std::to_string(i + 1));
        ASSERT_EQ(aside[i].has_value(), byRun[i].has_value());
        if (!aside[i])
            continue;
        EXPECT_EQ(aside[i]->text, byRun[i]->text);
        EXPECT_EQ(aside[i]->sourcePath.str(), byRun[i]->sourcePath.str());
        EXPECT_EQ(aside[i]->relativePart.str(), byRun[i]->relativePart.str());
        EXPECT_EQ(aside[i]->size, byRun[i]->size);
    }
}

class LookupPacerTest : public ::testing::Test {
protected:
    void TearDown() override { platform::setLookupPacer({}); }
    test::TempFolder m_tmp;
};

TEST_F(LookupPacerTest, CancelStopsTheLookupsNotYetBegun) {
    // Every entry is missing, so each costs at least one lookup.
    std::string bytes;
    for (int i = 0; i < 3000; ++i)
        bytes += "none" + std::to_string(i) + ".mp3\n";
    test::writeFile(m_tmp / "list.m3u", bytes);
    std::atomic<int> lookups{0};
    platform::setLookupPacer([&](const std::string&) {
        ++lookups;
        std::this_thread::sleep_for(std::chrono::microseconds(300));
    });
    const ScanResult r =
        scanPlaylist(m_tmp / "list.m3u", false, [](std::uint64_t) { return false; });
    platform::setLookupPacer({});
    EXPECT_EQ(r.outcome, Outcome::Cancelled);
    EXPECT_EQ(r.count, 0);
    EXPECT_LT(lookups.load(), 1500) << "the lookups went on after the cancel";
}

TEST_F(LookupPacerTest, ProgressIsAskedWhileALookupHangsAndCancelEndsTheWait) {
    test::writeFile(m_tmp / "a.mp3", "x");
    std::string bytes;
    for (int i = 0; i < 64; ++i)
        bytes += "a.mp3\n";
    for (int i = 0; i < 40; ++i)
        bytes += "hang.mp3\n";
    test::writeFile(m_tmp / "list.m3u", bytes);
    std::mutex mutex;
    std::condition_variable released;
    bool release = false;
    // A file system that answers slowly, then stops answering; it answers again when
    // released, or after 3 s so that a scan that never asks cannot hang the test.
    platform::setLookupPacer([&](const std::string& path) {
        if (path.ends_with("/a.mp3")) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            return;
        }
        if (!path.ends_with("/hang.mp3"))
            return;
        std::unique_lock lock(mutex);
        if (!released.wait_for(lock, std::chrono::seconds(3), [&] { return release; }))
            release = true;
    });
    std::vector<std::uint64_t> calls;
    const ScanResult r = scanPlaylist(m_tmp / "list.m3u", false, [&](std::uint64_t consumed) {
        calls.push_back(consumed);
        if (calls.size() < 2 || calls.back() != calls[calls.size() - 2])
            return true;
        {
            const std::lock_guard lock(mutex);
            release = true;
        }
        released.notify_all();
        return false;
    });
    platform::setLookupPacer({});
    EXPECT_EQ(r.outcome, Outcome::Cancelled);
    ASSERT_GE(calls.size(), 4u);
    EXPECT_EQ(calls.front(), 60u);
    EXPECT_EQ(calls.back(), calls[calls.size() - 2])
        << "the window was not asked again while the lookup hung";
    EXPECT_GE(r.count, 30);
    EXPECT_LE(r.count, 64);
}

TEST_F(LookupPacerTest, SlowLookupsAreAskedSideBySide) {
    test::writeFile(m_tmp / "a.mp3", "x");
    std::string bytes;
    for (int i = 0; i < 400; ++i)
        bytes += "a.mp3\n";
    test::writeFile(m_tmp / "list.m3u", bytes);
    std::mutex mutex;
    std::set<std::thread::id> askers;
    int inFlight = 0;
    int mostInFlight = 0;
    platform::setLookupPacer([&](const std::string& path) {
        if (!path.ends_with("/a.mp3"))
            return;
        {
            const std::lock_guard lock(mutex);
            askers.insert(std::this_thread::get_id());
            mostInFlight = std::max(mostInFlight, ++inFlight);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        const std::lock_guard lock(mutex);
        --inFlight;
    });
    const ScanResult r = scanPlaylist(m_tmp / "list.m3u", false);
    platform::setLookupPacer({});
    EXPECT_EQ(r.count, 400);
    EXPECT_GE(askers.size(), 4u) << "a slow file system was asked from one thread";
    EXPECT_GE(mostInFlight, 2) << "the lookups never overlapped";
}

TEST_F(LookupPacerTest, FileSystemThatTurnsSlowAfterFastLinesIsStillAskedSideBySide) {
    // Fast lines first grow the batches; the slow ones after them must still bring in every
    // thread, and the counts stay exact.
    test::writeFile(m_tmp / "fast.mp3", "x");
    test::writeFile(m_tmp / "slow.mp3", "x");
    std::string bytes;
    for (int i = 0; i < 2000; ++i)
        bytes += "fast.mp3\n";
    for (int i = 0; i < 600; ++i)
        bytes += "slow.mp3\n";
    test::writeFile(m_tmp / "list.m3u", bytes);
    std::mutex mutex;
    std::set<std::thread::id> askers;
    platform::setLookupPacer([&](const std::string& path) {
        if (!path.ends_with("/slow.mp3"))
            return;
        {
            const std::lock_guard lock(mutex);
            askers.insert(std::this_thread::get_id());
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    });
    const ScanResult r = scanPlaylist(m_tmp / "list.m3u", false);
    platform::setLookupPacer({});
    EXPECT_EQ(r.count, 2600);
    EXPECT_GE(askers.size(), 4u) << "the slow part was asked from too few threads";
}

} // namespace
} // namespace tw::playlist
