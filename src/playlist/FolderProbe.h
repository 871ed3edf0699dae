#pragma once

#include <cstddef>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tw::playlist {

// Tells early that a path below a folder cannot exist because the first folder it goes
// through is missing, as when an entry written with absolute paths such as "/home/u/a.mp3"
// is looked for once more below the playlist's folder, which has no folder "home". Answers
// are remembered for a few first components, so a playlist of many such entries costs one
// folder query instead of one per entry; memory does not grow with the playlist. Safe to
// ask from several threads at once.
class FolderProbe {
public:
    explicit FolderProbe(std::string base);

    // False when the path (taken below the base, leading separators ignored) certainly
    // names nothing.
    bool mayHold(std::string_view below);

private:
    static constexpr std::size_t kRemembered = 16;

    std::string m_base;
    std::mutex m_mutex; // guards m_known; never held over a folder query
    std::vector<std::pair<std::string, bool>> m_known; // first component, folder exists
};

} // namespace tw::playlist
