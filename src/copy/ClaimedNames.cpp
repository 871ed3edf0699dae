#include "copy/ClaimedNames.h"

#include "copy/DeviceNames.h"

namespace tw::copy {

ClaimedNames::ClaimedNames(bool foldsCase)
    : m_foldsCase(foldsCase) {}

std::string ClaimedNames::key(const platform::Path& path) const {
    return m_foldsCase ? caseFolded(path.str()) : path.str();
}

void ClaimedNames::claim(const platform::Path& target) {
    m_byFolder[key(target.folder())].insert(key(platform::Path(target.fileName())));
}

void ClaimedNames::release(const platform::Path& target) {
    const auto folder = m_byFolder.find(key(target.folder()));
    if (folder == m_byFolder.end())
        return;
    folder->second.erase(key(platform::Path(target.fileName())));
    if (folder->second.empty())
        m_byFolder.erase(folder);
}

bool ClaimedNames::claimed(const platform::Path& target) const {
    const auto folder = m_byFolder.find(key(target.folder()));
    return folder != m_byFolder.end() &&
           folder->second.count(key(platform::Path(target.fileName()))) != 0;
}

std::size_t ClaimedNames::size() const {
    std::size_t n = 0;
    for (const auto& [folder, names] : m_byFolder)
        n += names.size();
    return n;
}

} // namespace tw::copy
