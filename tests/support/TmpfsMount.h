#pragma once

#include <string>

namespace tw::test {

// A tmpfs mounted on an existing folder for the life of the object (tests that need a full
// or read-only file system). Mounting needs privileges: when it is refused, mounted() is
// false and reason() says why, so the test can skip itself.
class TmpfsMount {
public:
    // options as for mount -o, e.g. "size=2m" or "size=1m,ro".
    TmpfsMount(const std::string& folder, std::string options);
    ~TmpfsMount();
    TmpfsMount(const TmpfsMount&) = delete;
    TmpfsMount& operator=(const TmpfsMount&) = delete;

    bool mounted() const { return m_mounted; }
    std::string reason() const { return m_reason; }

    // Makes the mount read-only (or writable again); false when the remount fails.
    bool remount(const std::string& options);

private:
    std::string m_folder;
    bool m_mounted = false;
    std::string m_reason;
};

} // namespace tw::test
