#include "playlist/FolderProbe.h"

#include "platform/FileSystem.h"
#include "playlist/EntryText.h"

namespace tw::playlist {

FolderProbe::FolderProbe(std::string base)
    : m_base(std::move(base)) {}

bool FolderProbe::mayHold(std::string_view below) {
    while (!below.empty() && isSeparator(below.front()))
        below.remove_prefix(1);
    const std::size_t end = below.find_first_of("\\/");
    if (end == std::string_view::npos)
        return true; // a name directly in the base
    const std::string_view first = below.substr(0, end);
    {
        const std::lock_guard lock(m_mutex);
        for (const auto& [name, exists] : m_known) {
            if (name == first)
                return exists;
        }
    }
    // Asked without the lock: on a slow file system the other lookups go on meanwhile, and
    // two threads asking at once get the same answer.
    const bool exists = platform::folderExists(joinedBelow(m_base, first));
    const std::lock_guard lock(m_mutex);
    if (m_known.size() < kRemembered) {
        bool known = false;
        for (const auto& entry : m_known)
            known = known || entry.first == first;
        if (!known)
            m_known.emplace_back(first, exists);
    }
    return exists;
}

} // namespace tw::playlist
