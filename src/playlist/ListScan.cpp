#include "playlist/ListScan.h"

#include "playlist/LookupWindow.h"
#include "playlist/PlaylistReader.h"

#include <chrono>
#include <exception>
#include <optional>
#include <utility>

namespace tw::playlist {

namespace {

// The progress bar of the scan window runs on a signed 32-bit range.
constexpr std::int64_t kLargestPlaylist = (std::int64_t{1} << 31) - 1;

constexpr std::uint64_t kProgressEvery = 10;

// How long the caller waits for a lookup before its progress is asked again.
constexpr std::chrono::milliseconds kWaitTick{100};

ScanResult failed(ScanResult result, std::string reason) {
    result.outcome = ScanResult::Outcome::Failed;
    result.reason = std::move(reason);
    return result;
}

} // namespace

ScanResult scanPlaylist(const PlaylistSource& source, const std::string& fieldText, bool onlyMp3,
                        const std::function<bool(std::uint64_t bytesConsumed)>& progress,
                        LookupThreads lookupThreads,
                        const std::function<bool(const PlaylistEntry&)>& sizeCounts) {
    ScanResult result;
    const std::string tooLarge = "the playlist \"" + source.path() + "\" is 2 GiB or larger";
    try {
        if (source.size() > kLargestPlaylist)
            return failed(result, tooLarge);
        PlaylistReader reader(source, fieldText);
        LookupWindow window(reader.resolver(), lookupThreads, false);
        std::uint64_t linesTaken = 0;
        std::uint64_t reported = 0;
        const auto stillWanted = [&] { return !progress || progress(reported); };
        bool more = true;
        std::string line;
        bool cutShort = false;
        for (;;) {
            while (more && window.hasRoom()) {
                more = reader.readRawLine(line, cutShort);
                if (!more) {
                    window.flush();
                    break;
                }
                if (reader.bytesConsumed() > static_cast<std::uint64_t>(kLargestPlaylist))
                    return failed(result, tooLarge);
                window.add(line, cutShort, reader.bytesConsumed());
            }
            if (window.empty())
                break;
            LookupWindow::Done done;
            if (!window.take(done, stillWanted, kWaitTick)) {
                result.outcome = ScanResult::Outcome::Cancelled;
                return result;
            }
            const std::optional<PlaylistEntry>& entry = done.entry;
            if (entry && entry->found() && (!onlyMp3 || hasMp3Extension(entry->sourcePath.str()))) {
                if (!sizeCounts || sizeCounts(*entry))
                    result.sizeKB += kilobytesOf(entry->size);
                ++result.count;
            }
            if (++linesTaken % kProgressEvery == 0 && progress) {
                reported = done.bytesAfter;
                if (!progress(reported)) {
                    result.outcome = ScanResult::Outcome::Cancelled;
                    return result;
                }
            }
        }
    } catch (const std::exception& e) {
        return failed(result, e.what());
    }
    return result;
}

ScanResult scanPlaylist(const std::string& playlistPath, bool onlyMp3,
                        const std::function<bool(std::uint64_t bytesConsumed)>& progress,
                        LookupThreads lookupThreads) {
    return scanPlaylist(PlaylistSource(playlistPath), playlistPath, onlyMp3, progress,
                        lookupThreads);
}

} // namespace tw::playlist
