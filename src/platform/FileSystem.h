#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

// Files and folders. Paths arrive in the program's one form (platform::Path, "/"-separated),
// and the system calls take their text as it is.
namespace tw::platform {

// True when the path names a regular file (or a link to one), not a folder.
bool fileExists(const std::string& path);
// What tells one file under a name from another put there since: the file itself, its size
// and its last write.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t lastWriteNs = 0;
    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};
// Of whatever has the name (a link itself, not what it leads to); nothing when nothing does.
std::optional<FileIdentity> identityOf(const std::string& path);

// True when a file, FIFO, link (dangling or not) or anything else but a folder has the name:
// a new file cannot take it without replacing something.
bool nameInUse(const std::string& path);

// Byte size of a regular file (or a link to one) found by one directory query; -1 when the
// path is missing or names anything else (a folder, a device). No file is opened.
std::int64_t regularFileSize(const std::string& path);

// Byte size of the file, or -1 for a missing path or a folder.
std::int64_t fileSize(const std::string& path);

// Last-write time in seconds since the epoch, or nothing for a missing path.
std::optional<std::int64_t> lastWriteTime(const std::string& path);

// True when the path names a folder (or a link to one).
bool folderExists(const std::string& path);

// Creates the folder and any missing parents; failures are not reported.
void createFolders(const std::string& path);

// Creates one folder level (its parent must exist). Returns false on failure, true when
// it was created or already exists.
bool createFolder(const std::string& path);

// Removes a file. Returns false when nothing was removed.
bool deleteFile(const std::string& path);

// Renames a file, replacing an existing target. Returns false on failure.
bool moveFile(const std::string& from, const std::string& to);

// True when both paths name one and the same existing file (same device and inode).
bool sameFile(const std::string& a, const std::string& b);

// The permission bits a newly created file gets: 0666 less the process's umask.
unsigned newFilePermissions();

// The folder of the running executable, links followed, without a trailing separator.
std::string programFolder();

// The whole of a small text file (a /proc or /sys entry), or "" when it cannot be read.
std::string readWholeTextFile(const std::string& path);

// The absolute path with every link and "." or ".." resolved, or "" when it names nothing.
std::string canonicalPath(const std::string& path);

} // namespace tw::platform
