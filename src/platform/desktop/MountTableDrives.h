#pragma once

#include "platform/desktop/RemovableDriveWatch.h"

#include <QTimer>

#include <chrono>

namespace tw::platform {

// The removable drives of the kernel's mount table, looked at again at an interval: for
// systems without UDisks2. Unmounting is left to the desktop there.
class MountTableDrives : public RemovableDriveWatch {
    Q_OBJECT

public:
    explicit MountTableDrives(QObject* parent = nullptr,
                              std::chrono::milliseconds interval = std::chrono::seconds(2),
                              RemovableTest isRemovable = {});

    std::vector<RemovableDrive> drives() override;
    RemovalOutcome safelyRemove(const std::string& mountPoint) override;
    bool canRemove() const override { return false; }

private:
    void look();

    RemovableTest m_isRemovable;
    std::vector<RemovableDrive> m_last;
    QTimer m_timer;
};

} // namespace tw::platform
