#pragma once

#include "platform/Path.h"

#include <cstddef>
#include <string>
#include <unordered_map>
#include <unordered_set>

namespace tw::copy {

// The target names a run has decided on and not yet given, by folder, compared the way the
// destination compares names: exactly, or with case folded where the destination folds it
// (folder names too, since "Rock" and "ROCK" are then one folder). A claimed name is taken
// as surely as one on the disk.
class ClaimedNames {
public:
    explicit ClaimedNames(bool foldsCase = false);

    void claim(const platform::Path& target);
    void release(const platform::Path& target);
    bool claimed(const platform::Path& target) const;
    std::size_t size() const;

    // The key both names of one file share on this destination.
    std::string key(const platform::Path& path) const;

private:
    bool m_foldsCase;
    std::unordered_map<std::string, std::unordered_set<std::string>> m_byFolder;
};

} // namespace tw::copy
