#pragma once

#include <cerrno>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "platform/FileSystem.h"

namespace tw::platform {

class DestinationFolder;
class WorkingFolder;

// The outcome of one file copy.
struct CopyResult {
    bool ok = false;
    bool cancelled = false; // the progress callback asked to stop (errorNumber is ECANCELED)
    int errorNumber = 0;    // errno of the failure
    // The target's name was taken while the copy waited for it, and no other name was given
    // (errorNumber is EEXIST); the copy is gone.
    bool nameTaken = false;
};

// The source ended before the size it had when the copy opened it (it was cut meanwhile).
inline constexpr int sourceShrankError = ENODATA;
// The destination's file system cannot hold a file that large (FAT: 4 GiB and more).
inline constexpr int fileTooLargeError = EFBIG;

// Called after each chunk; return false to cancel. The host pumps events here.
using CopyProgress = std::function<bool(std::uint64_t bytesDone, std::uint64_t bytesTotal)>;

// Copies source to target through a temporary file in the target's folder, flushes its data
// to the device, then renames it over the target. Creates missing folders. Keeps mtime and
// permission bits. On failure or cancel nothing is left behind and an existing target is
// untouched. Source and target naming the same file is refused with EINVAL before anything
// is touched. The source is only ever opened read-only. The first copy into a folder removes
// the temporary files there that an ended copy left (see removeStaleTemporaryFiles).
CopyResult copyFile(const std::string& source, const std::string& target,
                    const CopyProgress& progress = {});

// Writes the bytes as the whole content of target the way copyFile copies: into a
// temporary file in the target's folder, on the device, then renamed over the target. The
// file gets mode 0644. An existing target is replaced only when all went well, and only with
// replace; without it a name taken by anything fails with EEXIST. Where it needs a name of
// its own meanwhile, the file waits in the working folder when one is given.
CopyResult writeFile(const std::string& target, std::string_view bytes, bool replace = true,
                     std::shared_ptr<const WorkingFolder> work = {});

// Copies many files as copyFile does, but flushes them in groups: each file is copied under
// a temporary name, and a group's data go to the device together before its files get their
// real names. A crash leaves no real name on missing data, and small files stay fast.
class CopyBatch {
public:
    // Told once per file, when it has its real name or has failed.
    using Done = std::function<void(const CopyResult&)>;

    // Where a copy goes instead when its target's name was taken while it waited.
    struct NewTarget {
        std::string target;
        bool replace = false; // it may take the place of what is there
        // With replace: only this file, as it was when the user agreed to replace it.
        std::optional<FileIdentity> replacing;
    };
    // Asked, after the rest of the group has its names, for a copy whose target name has
    // been taken meanwhile; nothing means the copy is dropped.
    using NameTaken = std::function<std::optional<NewTarget>(const std::string& target)>;

    // A group is flushed when it reaches any of these. Larger groups cost fewer flushes; the
    // age keeps a slow device from holding many files back from their names. Each waiting
    // file holds a descriptor, so a group also stays within half of what the process may
    // open, and shrinks, down to one file, when descriptors run out all the same.
    struct Limits {
        std::size_t files = 1024;
        std::uint64_t bytes = 512u * 1024u * 1024u;
        std::chrono::milliseconds age{2000}; // of the oldest file waiting
    };

    CopyBatch();
    explicit CopyBatch(Limits limits);
    // Files still waiting are removed, not committed: call commit() first to keep them.
    ~CopyBatch();
    CopyBatch(const CopyBatch&) = delete;
    CopyBatch& operator=(const CopyBatch&) = delete;

    // Copies source next to target. A failed or cancelled copy is told to done at once (and
    // returned); a complete one waits for the group's commit, which runs here when a limit
    // is reached. Exceptions from the progress callback pass through. Without replace the
    // copy takes the target's name only while nothing holds it; when something does by then,
    // nameTaken says where it goes instead.
    // With replace and replacing, the target is replaced only while it is still that file;
    // a target changed since is taken as a name taken meanwhile.
    CopyResult copy(const std::string& source, const std::string& target,
                    const CopyProgress& progress, const Done& done, bool replace = false,
                    NameTaken nameTaken = {}, std::optional<FileIdentity> replacing = {});

    // True when a file waiting for its name goes to target (letter case ignored, as FAT
    // does): the name is as good as taken.
    bool holds(const std::string& target) const;

    // Flushes the waiting files and gives them their names, in the order they were copied.
    // The flush runs on a thread of its own, which touches only the group's files, while the
    // pump given to whileFlushing is called here every flushPumpEvery; the names follow the
    // flush, with the pump called between them too. An exception from the pump passes
    // through once the flush has ended, and the files not yet named go on waiting.
    void commit();

    // Called on the committing thread while a group goes to the device; a host keeps its
    // events going here (Pause and Cancel are for it to note and honour afterwards). It must
    // not use the batch. Empty: the flush runs on the caller's thread.
    void whileFlushing(std::function<void()> pump);
    static constexpr std::chrono::milliseconds flushPumpEvery{15};

    // Files copied and not yet under their names.
    std::size_t waiting() const;

    // From now on every target below the destination is reached from it, held open: see
    // DestinationFolder. Null: targets are reached by their paths.
    void holdDestination(std::shared_ptr<DestinationFolder> destination);

    // How many groups have gone to the device so far: a file named while this stays the
    // same has its name on the device only after the next flush of its file system.
    std::uint64_t flushes() const { return m_flushes; }

private:
    struct Waiting;
    static std::vector<int> flushGroup(const std::vector<Waiting>& group);
    static void nameElsewhere(Waiting& waiting);
    void keepWaiting(std::vector<Waiting>& group);

    Limits m_limits;
    std::vector<Waiting> m_waiting;
    std::unordered_set<std::string> m_waitingNames; // their targets, letter case folded
    std::uint64_t m_bytes = 0;
    std::uint64_t m_flushes = 0;
    std::shared_ptr<DestinationFolder> m_destination;
    std::chrono::steady_clock::time_point m_oldest;
    std::function<void()> m_whileFlushing;
};

// Flushes the file system holding the folder (syncfs). False on failure.
bool syncFileSystem(const std::string& folder);
// As syncFileSystem; returns 0 or the errno.
int flushFileSystem(const std::string& folder);

// Bytes moved between two progress calls.
inline constexpr std::uint64_t copyChunkBytes = 8u * 1024u * 1024u;

} // namespace tw::platform
