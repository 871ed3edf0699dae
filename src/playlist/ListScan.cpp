#include "playlist/ListScan.h"

#include "platform/FileSystem.h"
#include "playlist/EntryText.h"
#include "playlist/PlaylistReader.h"
#include "text/LineReader.h"

#include <exception>
#include <utility>
#include <vector>

namespace tw::playlist {

namespace {

// The progress bar of the scan window runs on a signed 32-bit range.
constexpr std::int64_t kLargestPlaylist = (std::int64_t{1} << 31) - 1;

constexpr std::uint64_t kProgressEvery = 10;

// A missing absolute entry such as "/home/u/a.mp3" is looked for once more in the playlist's
// folder as "home/u/a.mp3". When the playlist's folder has no folder "home", that second look
// cannot succeed; remembering the answer per first component saves the second directory
// query for every missing entry of a playlist written with absolute paths. Bounded, so that
// the scan's memory does not grow with the playlist.
class RetryFolders {
public:
    explicit RetryFolders(const std::string& folder)
        : m_folder(folder) {}

    // False when the relative text certainly names nothing below the playlist's folder.
    bool mayExist(const std::string& relative) {
        const std::size_t end = relative.find_first_of("\\/");
        if (end == std::string::npos || end == 0)
            return true; // a name directly in the folder, or not relative at all
        const std::string first = relative.substr(0, end);
        for (const auto& [name, exists] : m_known) {
            if (name == first)
                return exists;
        }
        const bool exists = platform::folderExists(locatedIn(m_folder, first));
        if (m_known.size() < kRemembered)
            m_known.emplace_back(first, exists);
        return exists;
    }

private:
    static constexpr std::size_t kRemembered = 16;
    const std::string& m_folder;
    std::vector<std::pair<std::string, bool>> m_known;
};

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
        RetryFolders retryFolders(folder);
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
                    if (retryFolders.mayExist(entry))
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
