#include "platform/NameRules.h"

#include "platform/FileSystem.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tw::platform {

namespace {

// Creates a new empty file; false when the name is taken or refused.
bool createProbe(const std::string& path) {
    int fd = -1;
    do {
        fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
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
    if (!createProbe(plain))
        return rules;
    struct stat st {};
    rules.foldsCase = ::lstat((dir + "/" + upperCase(plainName)).c_str(), &st) == 0;
    ::unlink(plain.c_str());

    const std::string special = dir + "/" + stem + "q?";
    if (createProbe(special))
        ::unlink(special.c_str());
    else
        rules.refusesWindowsCharacters = true;
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
