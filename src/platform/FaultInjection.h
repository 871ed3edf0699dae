#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

// A seam for tests: makes chosen file operations fail with a chosen system error, so that
// failures that need another user, a full disk or a read-only mount can be reached by any
// user, root included, and paces writes as a slow device would. Only test and benchmark
// builds hold the seam (tw_fault_seams); the shipped programs link tw_no_fault_seams, whose
// checks always answer "no fault", and cannot arm anything.
namespace tw::platform {

// Unnamed: creating a file without a name in a folder (O_TMPFILE), as vfat cannot.
// Flush: waiting for written data to reach the device while a large file is copied, and
// putting a group of copies waiting for their names on it.
// FileSystemFlush: putting everything written to a file system on its device (syncfs).
enum class FileOperation { Open, Read, Write, Unnamed, Flush, FileSystemFlush };

// The next `count` operations of that kind on the path, or on any file below it when it is a
// folder, fail with the error number.
void injectFileFault(FileOperation operation, const std::string& path, int error, int count = 1);

// Disarms every fault.
void clearFileFaults();

// The error an armed fault gives this operation on the path (and uses it up), or 0.
int takeFileFault(FileOperation operation, const std::string& path);

// As above for an open descriptor; its path is looked up only while a fault is armed.
int takeFileFault(FileOperation operation, int fd);

// Called by the chunked copy after each write of that many bytes (the write pacer's hook).
void pacedWrite(std::uint64_t bytes);

// The time by the chunked copy's clock: the steady clock, or a test's (ChunkedCopy::setClock).
std::chrono::steady_clock::time_point copyClockNow();

// Called on the flushing thread before a large file is flushed while it is copied, and
// before a group of files waiting for their names is flushed (the flush pacer's hook).
void pacedFlush();

// Called on the looking thread before every lookup of a path (existence, size, time,
// folder); a test's pacer may make it wait as a slow file system would. Empty disarms; set
// it only while no lookup runs. Unarmed it costs one atomic load.
void setLookupPacer(std::function<void(const std::string& path)> pacer);
void pacedLookup(const std::string& path);

} // namespace tw::platform
