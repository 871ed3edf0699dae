#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace tw::platform {

// The outcome of one file copy.
struct CopyResult {
    bool ok = false;
    bool cancelled = false; // the progress callback asked to stop (errorNumber is ECANCELED)
    int errorNumber = 0;    // errno of the failure
};

// Called after each chunk; return false to cancel. The host pumps events here.
using CopyProgress = std::function<bool(std::uint64_t bytesDone, std::uint64_t bytesTotal)>;

// Copies source to target through a temporary file in the target's folder, then renames it
// over the target. Creates missing folders. Keeps mtime and permission bits. Replacing an
// existing target: fdatasync before the rename. On failure or cancel nothing is left behind
// and an existing target is untouched. Source and target naming the same file is refused
// with EINVAL before anything is touched. The source is only ever opened read-only.
CopyResult copyFile(const std::string& source, const std::string& target,
                    const CopyProgress& progress = {});

// Flushes the file system holding the folder (syncfs). False on failure.
bool syncFileSystem(const std::string& folder);

// Bytes moved between two progress calls.
inline constexpr std::uint64_t copyChunkBytes = 8u * 1024u * 1024u;

} // namespace tw::platform
