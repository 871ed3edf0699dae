#pragma once

#include "platform/RemovableDrives.h"

#include <QObject>

#include <memory>
#include <string>
#include <vector>

namespace tw::platform {

// The removable drives mounted now, told again whenever one is plugged in, mounted,
// unmounted or pulled; and taking one out safely.
class RemovableDriveWatch : public QObject {
    Q_OBJECT

public:
    enum class Removal {
        Removed, // unmounted (and switched off where the drive can be): it may be pulled out
        Busy,    // a program holds files or folders open on it: nothing was done
        Failed,  // anything else: reason says what
    };
    struct RemovalOutcome {
        Removal result = Removal::Failed;
        std::string reason;
    };

    using QObject::QObject;

    virtual std::vector<RemovableDrive> drives() = 0;

    // Unmounts every file system of the drive that holds the mount point, then switches the
    // drive off. The event loop runs meanwhile (without user input): a stick that writes out
    // its last data takes a while.
    virtual RemovalOutcome safelyRemove(const std::string& mountPoint) = 0;

    // False where drives cannot be taken out at all (no disk service): nothing offers it.
    virtual bool canRemove() const { return true; }

    // The desktop's disk service (UDisks2 on the system bus) where it answers; otherwise the
    // kernel's mount table, looked at every few seconds, which cannot take a drive out.
    static std::unique_ptr<RemovableDriveWatch> system(QObject* parent = nullptr);

signals:
    void changed();
};

} // namespace tw::platform
