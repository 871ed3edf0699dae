#include "platform/NameRules.h"

#include "platform/FileSystem.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tw::platform {

namespace {

// Creates a new empty file: 0, or the errno of the refusal (the name taken or refused).
int createProbe(const std::string& path) {
    int fd = -1;
    do {
        fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return errno;
    ::close(fd);
    return 0;
}

// Whether the folder takes a plain name of the length, the stem padded out.
bool takesNameOf(const std::string& dir, const std::string& stem, std::size_t length) {
    const std::string path = dir + "/" + stem + std::string(length - stem.size(), 'n');
    if (createProbe(path) != 0)
        return false;
    ::unlink(path.c_str());
    return true;
}

// The longest plain name the folder takes, in bytes. NAME_MAX as the file system states it
// is tried first; where that is refused (vfat and exFAT state more bytes than their 255
// characters allow), the limit is found by halving, a few probes in all.
std::size_t longestName(const std::string& dir, const std::string& stem) {
    constexpr std::size_t fallback = 255;
    const long stated = ::pathconf(dir.c_str(), _PC_NAME_MAX);
    std::size_t refused =
        stated > 0 ? std::min<std::size_t>(static_cast<std::size_t>(stated), 4096) : fallback;
    std::size_t taken = stem.size() + 4; // the plain probe's name
    if (refused <= taken)
        return refused;
    if (takesNameOf(dir, stem, refused))
        return refused;
    while (refused - taken > 1) {
        const std::size_t middle = taken + (refused - taken) / 2;
        (takesNameOf(dir, stem, middle) ? taken : refused) = middle;
    }
    return taken;
}

std::string upperCase(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

} // namespace

NameRules probeNameRules(const std::string& folder) {
    static std::atomic<unsigned> probeNumber{0};
    const std::string dir = folder;
    const std::string stem = ".tunewagon-probe-" + std::to_string(::getpid()) + "-" +
                             std::to_string(probeNumber.fetch_add(1)) + "-";
    NameRules rules;

    const std::string plainName = stem + "name";
    const std::string plain = dir + "/" + plainName;
    if (createProbe(plain) != 0)
        return rules;
    struct stat st {};
    rules.foldsCase = ::lstat((dir + "/" + upperCase(plainName)).c_str(), &st) == 0;
    ::unlink(plain.c_str());

    const std::string special = dir + "/" + stem + "q?";
    if (createProbe(special) == 0)
        ::unlink(special.c_str());
    else
        rules.refusesWindowsCharacters = true;
    rules.maxNameBytes = longestName(dir, stem);
    return rules;
}

std::string resolvedPath(const std::string& path) {
    const std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path.c_str(), nullptr),
                                                               &std::free);
    return resolved ? std::string(resolved.get()) : std::string();
}

bool sameDevice(const std::string& a, const std::string& b) {
    struct stat sa {};
    struct stat sb {};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev;
}

} // namespace tw::platform
