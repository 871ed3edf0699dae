#include "platform/desktop/MountTableDrives.h"

#include <utility>

namespace tw::platform {

namespace {

// What tells a change of drives apart: free space changes while a copy runs and is not one.
bool sameDrives(const std::vector<RemovableDrive>& a, const std::vector<RemovableDrive>& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].mountPoint != b[i].mountPoint || a[i].device != b[i].device ||
            a[i].label != b[i].label)
            return false;
    }
    return true;
}

} // namespace

MountTableDrives::MountTableDrives(QObject* parent, std::chrono::milliseconds interval,
                                   RemovableTest isRemovable)
    : RemovableDriveWatch(parent)
    , m_isRemovable(std::move(isRemovable))
    , m_last(mountedRemovableDrives(m_isRemovable)) {
    connect(&m_timer, &QTimer::timeout, this, &MountTableDrives::look);
    m_timer.start(interval);
}

std::vector<RemovableDrive> MountTableDrives::drives() {
    m_last = mountedRemovableDrives(m_isRemovable);
    return m_last;
}

RemovableDriveWatch::RemovalOutcome MountTableDrives::safelyRemove(const std::string&) {
    return {Removal::Failed, "UDisks2 (org.freedesktop.UDisks2) is not running"};
}

void MountTableDrives::look() {
    std::vector<RemovableDrive> now = mountedRemovableDrives(m_isRemovable);
    if (sameDrives(now, m_last))
        return;
    m_last = std::move(now);
    emit changed();
}

} // namespace tw::platform
