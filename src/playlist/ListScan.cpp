#include "playlist/ListScan.h"

#include "playlist/PlaylistReader.h"

#include <exception>
#include <optional>
#include <utility>

namespace tw::playlist {

namespace {

// The progress bar of the scan window runs on a signed 32-bit range.
constexpr std::int64_t kLargestPlaylist = (std::int64_t{1} << 31) - 1;

constexpr std::uint64_t kProgressEvery = 10;

ScanResult failed(ScanResult result, std::string reason) {
    result.outcome = ScanResult::Outcome::Failed;
    result.reason = std::move(reason);
    return result;
}

} // namespace

ScanResult scanPlaylist(const PlaylistSource& source, const std::string& fieldText, bool onlyMp3,
                        const std::function<bool(std::uint64_t bytesConsumed)>& progress) {
    ScanResult result;
    const std::string tooLarge = "the playlist \"" + source.path() + "\" is 2 GiB or larger";
    try {
        if (source.size() > kLargestPlaylist)
            return failed(result, tooLarge);
        PlaylistReader reader(source, fieldText);
        std::optional<PlaylistEntry> entry;
        while (reader.readLine(entry)) {
            if (reader.bytesConsumed() > static_cast<std::uint64_t>(kLargestPlaylist))
                return failed(result, tooLarge);
            if (entry && entry->found() && (!onlyMp3 || hasMp3Extension(entry->sourcePath.str()))) {
                result.sizeKB += kilobytesOf(entry->size);
                ++result.count;
            }
            if (reader.linesRead() % kProgressEvery == 0 && progress &&
                !progress(reader.bytesConsumed())) {
                result.outcome = ScanResult::Outcome::Cancelled;
                return result;
            }
        }
    } catch (const std::exception& e) {
        return failed(result, e.what());
    }
    return result;
}

ScanResult scanPlaylist(const std::string& playlistPath, bool onlyMp3,
                        const std::function<bool(std::uint64_t bytesConsumed)>& progress) {
    return scanPlaylist(PlaylistSource(playlistPath), playlistPath, onlyMp3, progress);
}

} // namespace tw::playlist
