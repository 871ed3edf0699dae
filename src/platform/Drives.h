#pragma once

#include <cstdint>
#include <string>

namespace tw::platform {

// What kind of drive holds a path, in the terms of the program's drive test.
enum class DriveType { Unknown, NoRootDir, Removable, Fixed, Remote, CdRom, RamDisk };

// The kind of file system holding the path ("\" taken as "/"). NoRootDir for a path that
// does not exist.
DriveType driveType(const std::string& path);

// True when the path lies on a fixed or removable drive.
bool isLocalDrive(const std::string& path);

// Where the file system holding the path ("\" taken as "/", links followed) is mounted:
// "/media/usb" for a stick, "/" for the root file system; empty when the path cannot be
// looked up.
std::string mountPointOf(const std::string& path);

// The type of the file system holding the path as the mount table names it ("nfs4",
// "fuse.sshfs", "tmpfs"); empty when it cannot be looked up.
std::string fileSystemTypeOf(const std::string& path);

// The largest file the file system holding the folder can store, in bytes: 4 GiB - 1 on
// FAT (the kernel's vfat and msdos, and FAT mounted through FUSE); the largest value of the
// type where the file system sets no such limit the program knows of.
std::uint64_t largestFileBytes(const std::string& folder);

// Bytes available to the user on the file system holding the folder; -1 on failure.
std::int64_t freeBytes(const std::string& folder);

} // namespace tw::platform
