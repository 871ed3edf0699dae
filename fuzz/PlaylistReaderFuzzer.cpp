// Reads arbitrary bytes as a playlist with the reader and the list scan, next to a few real
// files, from the file and from a copy in memory, and checks what every entry promises and
// that the scan counts what the reader finds; also feeds each line to the path helpers and
// the transliteration.
#include "FuzzFolder.h"

#include "copy/Transliteration.h"
#include "platform/FileSystem.h"
#include "playlist/ListScan.h"
#include "playlist/PlaylistReader.h"
#include "playlist/XmlPlaylistParser.h"
#include "text/Encoding.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

namespace {

const std::string& playlistFolder() {
    static const std::string folder = [] {
        const std::string root = tw::fuzz::scratchFolder();
        for (const char* name : {"/lists/a.mp3", "/lists/Песня.mp3", "/lists/sub/b.mp3",
                                 "/lists/Titles/c.mp3", "/x.mp3", "/lists/a b.MP3"})
            tw::fuzz::writeBytes(root + name, std::string(1500, 'x'));
        return root + "/lists";
    }();
    return folder;
}

bool isSeparator(char c) {
    return c == '\\' || c == '/';
}

// Begins with a separator and has no "." or ".." component.
bool staysBelowItsFolder(const std::string& part) {
    if (part.empty() || !isSeparator(part.front()))
        return false;
    std::size_t pos = 0;
    while (pos < part.size()) {
        std::size_t end = pos + 1;
        while (end < part.size() && !isSeparator(part[end]))
            ++end;
        const std::string_view component(part.data() + pos + 1, end - pos - 1);
        if (component == "." || component == "..")
            return false;
        pos = end;
    }
    return true;
}

void checkPathText(std::string_view text) {
    using namespace tw::playlist;
    const std::string name = fileNameOf(text);
    TW_FUZZ_CHECK(text.ends_with(name));
    TW_FUZZ_CHECK(name.find_first_of("\\/") == std::string::npos);
    if (hasMp3Extension(text))
        TW_FUZZ_CHECK(name.ends_with(".mp3"));
    const std::string folder = folderOf(text);
    TW_FUZZ_CHECK(text.starts_with(folder));
    TW_FUZZ_CHECK(folder.size() <= text.size());
    if (tw::text::isValidUtf8(text)) {
        const std::string latin = tw::copy::transliterateName(text);
        TW_FUZZ_CHECK(tw::text::isValidUtf8(latin));
        TW_FUZZ_CHECK(latin.size() <= 3 * text.size());
    }
}

// Reads both readers to their end in step, checking every entry and counting what is found.
void readAll(tw::playlist::PlaylistReader& reader, tw::playlist::PlaylistReader& copy,
             std::size_t& entries, std::int32_t& found, std::int32_t& foundMp3,
             std::int64_t& foundKB) {
    using namespace tw;
    while (auto entry = reader.next()) {
        const auto same = copy.next();
        TW_FUZZ_CHECK(same && same->text == entry->text && same->sourcePath == entry->sourcePath);
        ++entries;
        TW_FUZZ_CHECK(text::isValidUtf8(entry->text));
        TW_FUZZ_CHECK(staysBelowItsFolder(entry->relativePart));
        TW_FUZZ_CHECK(entry->text.size() <= 3 * playlist::PlaylistReader::kLongestEntryLine);
        if (entry->found()) {
            ++found;
            foundKB += playlist::kilobytesOf(entry->size);
            if (playlist::hasMp3Extension(entry->sourcePath.str()))
                ++foundMp3;
            TW_FUZZ_CHECK(entry->sourcePath.str().find('\0') == std::string::npos);
            TW_FUZZ_CHECK(platform::fileExists(entry->sourcePath));
            TW_FUZZ_CHECK(entry->size >= 0 &&
                          playlist::kilobytesOf(entry->size) * 1024 >= entry->size);
        }
        checkPathText(entry->text);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tw;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string path = playlistFolder() + "/list.m3u";
    fuzz::writeBytes(path, bytes);
    const auto lineEnds = static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n'));

    playlist::PlaylistReader reader(path, path);
    playlist::PlaylistReader copy(playlist::PlaylistSource::fromBytes(path, std::string(bytes)),
                                  path);
    std::size_t entries = 0;
    std::int32_t found = 0;
    std::int32_t foundMp3 = 0;
    std::int64_t foundKB = 0;
    const bool xml = playlist::looksLikeXml(bytes);
    try {
        readAll(reader, copy, entries, found, foundMp3, foundKB);
    } catch (const playlist::PlaylistRefused&) {
        // Only an XML playlist is ever refused, from the file and from memory alike, and the
        // scan fails on it as well.
        TW_FUZZ_CHECK(xml);
        bool copyRefused = false;
        try {
            while (copy.next()) {
            }
        } catch (const playlist::PlaylistRefused&) {
            copyRefused = true;
        }
        TW_FUZZ_CHECK(copyRefused);
        TW_FUZZ_CHECK(playlist::scanPlaylist(path, false).outcome ==
                      playlist::ScanResult::Outcome::Failed);
        return 0;
    }
    TW_FUZZ_CHECK(!copy.next());
    // A line gives at most one entry; an XML entry takes at least "<media src=""/>".
    TW_FUZZ_CHECK(xml ? entries <= size / 8 : entries <= lineEnds + 1);
    TW_FUZZ_CHECK(reader.bytesConsumed() <= size);
    TW_FUZZ_CHECK(copy.bytesConsumed() == reader.bytesConsumed());
    TW_FUZZ_CHECK(!reader.next());

    const playlist::ScanResult all = playlist::scanPlaylist(path, false);
    const playlist::ScanResult mp3 = playlist::scanPlaylist(path, true);
    TW_FUZZ_CHECK(all.outcome == playlist::ScanResult::Outcome::Completed);
    TW_FUZZ_CHECK(mp3.outcome == playlist::ScanResult::Outcome::Completed);
    TW_FUZZ_CHECK(all.count == found && all.sizeKB == foundKB);
    TW_FUZZ_CHECK(mp3.count == foundMp3 && mp3.sizeKB <= all.sizeKB);
    return 0;
}
