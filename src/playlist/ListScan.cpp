#include "playlist/ListScan.h"

#include "platform/FileQuery.h"
#include "platform/FileSystem.h"
#include "playlist/EntryText.h"
#include "playlist/PlaylistReader.h"
#include "text/LineReader.h"

#include <exception>

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

ScanResult scanPlaylist(const std::string& playlistPath, bool onlyMp3,
                        const std::function<bool(std::uint64_t bytesConsumed)>& progress) {
    ScanResult result;
    try {
        if (platform::fileSize(playlistPath) > kLargestPlaylist)
            return failed(result, "the playlist \"" + playlistPath + "\" is 2 GiB or larger");
        text::LineReader lines(playlistPath);
        const std::string folder = folderOf(playlistPath);
        std::uint64_t fileLines = 0;
        std::uint64_t lineCount = 0;
        std::string line;
        while (lines.next(line)) {
            if (lines.bytesConsumed() > static_cast<std::uint64_t>(kLargestPlaylist))
                return failed(result, "the playlist \"" + playlistPath + "\" is 2 GiB or larger");
            ++lineCount;
            // Header and comment lines go the same way as entries: they name no file.
            std::string entry = entryText(removeFileKey(line, fileLines));
            if (!onlyMp3 || hasMp3Extension(entry)) {
                std::int64_t size = platform::regularFileSize(locatedIn(folder, entry));
                if (size < 0 && isAbsolutePath(entry)) {
                    entry.erase(0, 1);
                    size = platform::regularFileSize(locatedIn(folder, entry));
                }
                if (size >= 0) {
                    result.sizeKB += size / 1024;
                    ++result.count;
                }
            }
            if (lineCount % kProgressEvery == 0 && progress && !progress(lines.bytesConsumed())) {
                result.outcome = ScanResult::Outcome::Cancelled;
                return result;
            }
        }
    } catch (const std::exception& e) {
        return failed(result, e.what());
    }
    return result;
}

} // namespace tw::playlist
