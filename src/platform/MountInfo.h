#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Reading the kernel's mount table (/proc/self/mountinfo). Pure text work: the caller
// supplies the text.
namespace tw::platform {

// One mounted file system.
struct MountEntry {
    unsigned major = 0; // device numbers as the mount table gives them
    unsigned minor = 0;
    std::string root;         // the folder of the file system that is mounted
    std::string mountPoint;   // where it is mounted, escapes resolved
    std::string fsType;       // "ext4", "nfs4", "fuse.sshfs", ...
    std::string source;       // "/dev/sda1", "server:/export", "tmpfs", ...
    std::string superOptions; // options of the file system, as written in the table
};

// Resolves the table's octal escapes ("\040" for a space, "\134" for a backslash).
std::string unescapeMountField(std::string_view field);

// One line of the table; nothing when the line is not well formed.
std::optional<MountEntry> parseMountInfoLine(std::string_view line);

// Every well-formed line of the table, in table order.
std::vector<MountEntry> parseMountInfo(std::string_view text);

// The mount holding an absolute, canonical path: the one whose mount point is the longest
// whole-component prefix of the path; of equal ones the last (a later mount covers an earlier
// one). When the device of the path is known, mounts of that device are preferred.
// Null when none matches.
const MountEntry* findMount(const std::vector<MountEntry>& mounts, std::string_view path,
                            std::optional<std::pair<unsigned, unsigned>> device = std::nullopt);

} // namespace tw::platform
