#include "platform/FileCopy.h"

#include "platform/ChunkedCopy.h"
#include "platform/DestinationFolder.h"
#include "platform/Drives.h"
#include "platform/FaultInjection.h"
#include "platform/File.h"
#include "platform/FileSystem.h"
#include "platform/RunWhilePumping.h"
#include "platform/SystemInfo.h"
#include "platform/TemporaryFile.h"
#include "platform/WorkingFolder.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <mutex>
#include <optional>
#include <set>
#include <system_error>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

namespace tw::platform {

namespace {

constexpr long fuseMagic = 0x65735546;

CopyResult failure(int errorNumber) {
    return CopyResult{false, false, errorNumber};
}

// File systems without Unix permissions (vfat, exfat, FUSE drivers of them) refuse some
// attribute changes; the copied data are complete all the same.
bool attributeNotSupported(int error) {
    return error == EPERM || error == EOPNOTSUPP || error == ENOTSUP || error == ENOSYS;
}

// Gives the open copy the source's permission bits and access and last-write times.
// Returns 0 or the errno.
int copyAttributes(int fd, const struct stat& source) {
    if (::fchmod(fd, source.st_mode & 07777) != 0 && !attributeNotSupported(errno))
        return errno;
    const struct timespec times[2] = {source.st_atim, source.st_mtim};
    if (::futimens(fd, times) != 0 && !attributeNotSupported(errno))
        return errno;
    return 0;
}

// Creates the folder with its missing parents. Returns 0 or the reason it is not there.
int ensureFolder(const std::string& folder) {
    struct stat st {};
    if (::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        return 0;
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (::stat(folder.c_str(), &st) != 0)
        return ec ? ec.value() : errno;
    return S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
}

// The folder itself, or the nearest one above it that exists.
std::string nearestExistingFolder(std::string folder) {
    struct stat st {};
    while (::stat(folder.c_str(), &st) != 0 && folder != "/" && folder != ".") {
        const std::size_t slash = folder.rfind('/');
        folder = slash == std::string::npos ? "." : slash == 0 ? "/" : folder.substr(0, slash);
    }
    return folder;
}

// Each folder is looked through for stale temporary files once in the life of the process.
void removeStaleOnce(const std::string& folder) {
    static std::mutex mutex;
    static std::set<std::string> cleaned;
    {
        const std::lock_guard<std::mutex> lock(mutex);
        if (!cleaned.insert(folder).second)
            return;
    }
    removeStaleTemporaryFiles(folder);
}

// The folder of a target and its name, which must be a plain file name.
struct TargetParts {
    std::string folder;
    std::string name;
};

std::optional<TargetParts> splitTarget(const std::string& target) {
    const std::size_t slash = target.rfind('/');
    TargetParts parts{slash == std::string::npos ? "."
                      : slash == 0               ? "/"
                                                 : target.substr(0, slash),
                      slash == std::string::npos ? target : target.substr(slash + 1)};
    if (parts.name.empty() || parts.name == "." || parts.name == "..")
        return std::nullopt;
    return parts;
}

// Copies the source into a new temporary file next to the target, attributes included;
// the caller flushes and names it.
CopyResult copyToTemporary(const std::string& source, const std::string& target,
                           const CopyProgress& progress, TemporaryFile& temp, std::uint64_t& bytes,
                           DestinationFolder* destination = nullptr) {
    const std::optional<TargetParts> parts = splitTarget(target);
    if (!parts)
        return failure(EINVAL);
    const auto& [folder, name] = *parts;

    // Non-blocking, so that a named pipe given as the source is refused instead of waited on.
    const FileHandle in(::open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!in.isOpen())
        return failure(errno);
    struct stat sourceStat {};
    if (::fstat(in.get(), &sourceStat) != 0)
        return failure(errno);
    if (S_ISDIR(sourceStat.st_mode))
        return failure(EISDIR);
    if (!S_ISREG(sourceStat.st_mode))
        return failure(EINVAL);
    bytes = static_cast<std::uint64_t>(sourceStat.st_size);

    // The same file under another spelling (separators, links) is never copied onto itself.
    struct stat targetStat {};
    if (::stat(target.c_str(), &targetStat) == 0) {
        if (targetStat.st_dev == sourceStat.st_dev && targetStat.st_ino == sourceStat.st_ino)
            return failure(EINVAL);
        if (S_ISDIR(targetStat.st_mode))
            return failure(EISDIR);
    }

    // A file the destination cannot hold fails before a byte is written.
    constexpr std::uint64_t smallestLimit = 0xFFFFFFFFull;
    if (bytes > smallestLimit && bytes > largestFileBytes(nearestExistingFolder(folder)))
        return failure(fileTooLargeError);

    int created = 0;
    if (destination) {
        // The working folder is made before any folder of the run, so that the slot it
        // leaves at the end is never between two of them.
        std::shared_ptr<WorkingFolder> work = destination->workingFolder();
        // Reached from the destination held open, made below it, never outside it.
        std::shared_ptr<const FileHandle> folderHandle;
        if (const int error = destination->openFolder(folder, folderHandle))
            return failure(error);
        removeStaleOnce(folder);
        created = temp.create(std::move(folderHandle), folder, name, std::move(work));
    } else {
        // Folders are made only when the first file into them finds none.
        removeStaleOnce(folder);
        created = temp.create(folder, name);
        if (created == ENOENT) {
            if (const int error = ensureFolder(folder))
                return failure(error);
            created = temp.create(folder, name);
        }
    }
    if (created != 0)
        return failure(created);

    ChunkedCopy data(in.get(), temp.fd(), bytes, progress);
    switch (data.run()) {
    case ChunkedCopy::Outcome::Cancelled:
        return CopyResult{false, true, ECANCELED};
    case ChunkedCopy::Outcome::Failed:
        return failure(data.errorNumber());
    case ChunkedCopy::Outcome::Done:
        break;
    }
    if (const int error = copyAttributes(temp.fd(), sourceStat))
        return failure(error);
    return CopyResult{true, false, 0};
}

// Puts the temporary file's data on the device, then gives it the target's name.
CopyResult commitTemporary(TemporaryFile& temp, const std::string& target,
                           TemporaryFile::Naming naming = TemporaryFile::Naming::Replace) {
    if (const int error = temp.flushData())
        return failure(error);
    if (const int error = temp.commitAs(target, naming))
        return failure(error);
    return CopyResult{true, false, 0};
}

// Letter case folded the way FAT folds it for ASCII names; other bytes kept as they are.
std::string foldedName(std::string name) {
    for (char& c : name)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return name;
}

} // namespace

CopyResult copyFile(const std::string& sourcePath, const std::string& target,
                    const CopyProgress& progress) {
    TemporaryFile temp;
    std::uint64_t bytes = 0;
    const CopyResult copied = copyToTemporary(sourcePath, target, progress, temp, bytes);
    return copied.ok ? commitTemporary(temp, target) : copied;
}

CopyResult writeFile(const std::string& target, std::string_view bytes, bool replace,
                     std::shared_ptr<const WorkingFolder> work) {
    const std::optional<TargetParts> parts = splitTarget(target);
    if (!parts)
        return failure(EINVAL);
    const auto& [folder, name] = *parts;
    struct stat targetStat {};
    if (::stat(target.c_str(), &targetStat) == 0 && !S_ISREG(targetStat.st_mode))
        return failure(S_ISDIR(targetStat.st_mode) ? EISDIR : EINVAL);

    TemporaryFile temp;
    if (const int error = temp.create(folder, name, std::move(work)))
        return failure(error);
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t n = ::write(temp.fd(), bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return failure(errno);
        }
        done += static_cast<std::size_t>(n);
    }
    if (::fchmod(temp.fd(), 0644) != 0 && !attributeNotSupported(errno))
        return failure(errno);
    return commitTemporary(
        temp, target, replace ? TemporaryFile::Naming::Replace : TemporaryFile::Naming::NewOnly);
}

struct CopyBatch::Waiting {
    std::unique_ptr<TemporaryFile> temp;
    std::string target;
    Done done;
    bool replace;
    NameTaken nameTaken;
    std::optional<FileIdentity> replacing;
    // Of the first flush of its group that failed: the kernel tells a write error once, so
    // a file that waits on after it (its host failed meanwhile) is never flushed and named
    // as if its data had reached the device.
    int flushError = 0;

    // Replacing, and what is at the target is no longer the file the user agreed to replace.
    bool targetChanged() const { return replace && replacing && identityOf(target) != replacing; }
};

CopyBatch::CopyBatch()
    : CopyBatch(Limits{}) {}

CopyBatch::CopyBatch(Limits limits)
    : m_limits(limits) {
    constexpr std::size_t reserved = 64; // for the playlist, the log, the window
    const std::size_t open = openFileLimit();
    if (open != 0)
        m_limits.files = std::min(m_limits.files,
                                  std::max<std::size_t>(1, (open - std::min(open, reserved)) / 2));
}

CopyBatch::~CopyBatch() = default;

void CopyBatch::holdDestination(std::shared_ptr<DestinationFolder> destination) {
    m_destination = std::move(destination);
}

std::size_t CopyBatch::waiting() const {
    return m_waiting.size();
}

CopyResult CopyBatch::copy(const std::string& sourcePath, const std::string& target,
                           const CopyProgress& progress, const Done& done, bool replace,
                           NameTaken nameTaken, std::optional<FileIdentity> replacing) {
    // Two waiting files never go to one name: the earlier one takes it first. Files that
    // waited through a pause or a question are not kept waiting for this one too.
    if (holds(target) ||
        (!m_waiting.empty() && std::chrono::steady_clock::now() - m_oldest >= m_limits.age))
        commit();
    auto temp = std::make_unique<TemporaryFile>();
    std::uint64_t bytes = 0;
    CopyResult copied =
        copyToTemporary(sourcePath, target, progress, *temp, bytes, m_destination.get());
    if (!copied.ok && (copied.errorNumber == EMFILE || copied.errorNumber == ENFILE) &&
        !m_waiting.empty()) {
        // The waiting files hold the descriptors this one needs: they get their names now,
        // and later groups stay smaller, down to one file at a time.
        m_limits.files = std::max<std::size_t>(1, m_waiting.size() / 2);
        commit();
        temp = std::make_unique<TemporaryFile>();
        copied = copyToTemporary(sourcePath, target, progress, *temp, bytes, m_destination.get());
    }
    if (!copied.ok) {
        if (done)
            done(copied);
        return copied;
    }
    if (m_waiting.empty())
        m_oldest = std::chrono::steady_clock::now();
    m_waitingNames.insert(foldedName(target));
    m_waiting.push_back(
        Waiting{std::move(temp), target, done, replace, std::move(nameTaken), replacing});
    m_bytes += bytes;
    if (m_waiting.size() >= m_limits.files || m_bytes >= m_limits.bytes ||
        std::chrono::steady_clock::now() - m_oldest >= m_limits.age)
        commit();
    return copied;
}

bool CopyBatch::holds(const std::string& targetPath) const {
    return m_waitingNames.count(foldedName(targetPath)) != 0;
}

void CopyBatch::whileFlushing(std::function<void()> pump) {
    m_whileFlushing = std::move(pump);
}

void CopyBatch::commit() {
    if (m_waiting.empty())
        return;
    // A slow device holds the flush for seconds; the host's events go on meanwhile. The group
    // stays waiting until the flush is over, so that a pump that throws leaves it whole, each
    // file with what its flush told.
    runWhilePumping(
        [&group = m_waiting] {
            pacedFlush();
            const std::vector<int> errors = flushGroup(group);
            for (std::size_t i = 0; i < group.size(); ++i)
                if (group[i].flushError == 0)
                    group[i].flushError = errors[i];
        },
        m_whileFlushing, flushPumpEvery);
    std::vector<Waiting> group = std::move(m_waiting);
    m_waiting.clear();
    m_waitingNames.clear();
    m_bytes = 0;
    ++m_flushes;
    // Where each name is a round trip to a driver (FUSE), naming a large group takes long
    // too: the host's events go on between two names. Should the pump throw, the files not
    // yet named go on waiting.
    auto pumped = std::chrono::steady_clock::now();
    const auto pumpIfDue = [&] {
        const auto now = std::chrono::steady_clock::now();
        if (!m_whileFlushing || now - pumped < flushPumpEvery)
            return;
        pumped = now;
        try {
            m_whileFlushing();
        } catch (...) {
            keepWaiting(group);
            throw;
        }
    };
    std::vector<std::size_t> taken;
    for (std::size_t i = 0; i < group.size(); ++i) {
        pumpIfDue();
        Waiting& w = group[i];
        CopyResult result = failure(w.flushError);
        if (w.flushError == 0 && w.targetChanged()) {
            taken.push_back(i);
            continue;
        }
        if (w.flushError == 0) {
            const int error =
                w.temp->commitAs(w.target, w.replace ? TemporaryFile::Naming::Replace
                                                     : TemporaryFile::Naming::NewOnly);
            if (error == EEXIST && !w.replace) {
                taken.push_back(i); // after the others have their names
                continue;
            }
            result = error == 0 ? CopyResult{true, false, 0} : failure(error);
        }
        w.temp.reset(); // a file that failed goes before anyone hears of it
        if (w.done)
            w.done(result);
    }
    for (const std::size_t i : taken)
        nameElsewhere(group[i]);
}

// Back in the waiting list: the files of the group that have neither their names nor been
// told of.
void CopyBatch::keepWaiting(std::vector<Waiting>& group) {
    for (Waiting& w : group) {
        if (!w.temp)
            continue;
        if (m_waiting.empty())
            m_oldest = std::chrono::steady_clock::now();
        m_waitingNames.insert(foldedName(w.target));
        m_waiting.push_back(std::move(w));
    }
}

// The copy is whole and on the device; only its name was taken. It goes where the caller
// says, as often as the new name is taken in turn.
void CopyBatch::nameElsewhere(Waiting& w) {
    CopyResult result = failure(EEXIST);
    result.nameTaken = true;
    while (w.nameTaken) {
        const std::optional<NewTarget> next = w.nameTaken(w.target);
        if (!next)
            break;
        w.target = next->target;
        w.replace = next->replace;
        w.replacing = next->replacing;
        if (w.targetChanged())
            continue;
        const int error = w.temp->commitAs(w.target, w.replace ? TemporaryFile::Naming::Replace
                                                               : TemporaryFile::Naming::NewOnly);
        if (error == EEXIST && !w.replace)
            continue;
        result = error == 0 ? CopyResult{true, false, 0} : failure(error);
        break;
    }
    w.temp.reset();
    if (w.done)
        w.done(result);
}

// One syncfs per file system puts a whole group on the device at the cost of one journal
// commit, where flushing file by file would commit once per file. FUSE file systems may not
// pass syncfs on to their driver, so their files are flushed one by one.
std::vector<int> CopyBatch::flushGroup(const std::vector<Waiting>& group) {
    struct Device {
        std::uint64_t id;
        bool fuse;
        int syncError; // of its syncfs, once made
        bool synced;
    };
    std::vector<int> errors(group.size(), 0);
    std::vector<Device> devices;
    for (std::size_t i = 0; i < group.size(); ++i) {
        TemporaryFile& temp = *group[i].temp;
        auto known = std::find_if(devices.begin(), devices.end(),
                                  [&](const Device& d) { return d.id == temp.device(); });
        if (known == devices.end()) {
            struct statfs fs {};
            const bool fuse =
                ::fstatfs(temp.fd(), &fs) != 0 || static_cast<long>(fs.f_type) == fuseMagic;
            known = devices.insert(devices.end(), Device{temp.device(), fuse, 0, false});
        }
        if (known->fuse) {
            const int injected = takeFileFault(FileOperation::Flush, temp.fd());
            errors[i] = injected != 0 ? injected : temp.flushData();
            continue;
        }
        if (!known->synced) {
            const int injected = takeFileFault(FileOperation::Flush, temp.fd());
            known->syncError = injected != 0 ? injected : ::syncfs(temp.fd()) == 0 ? 0 : errno;
            known->synced = true;
        }
        errors[i] = known->syncError;
    }
    return errors;
}

bool syncFileSystem(const std::string& folder) {
    return flushFileSystem(folder) == 0;
}

int flushFileSystem(const std::string& folder) {
    const FileHandle handle(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!handle.isOpen())
        return errno;
    if (const int error = takeFileFault(FileOperation::FileSystemFlush, folder))
        return error;
    return ::syncfs(handle.get()) == 0 ? 0 : errno;
}

} // namespace tw::platform
