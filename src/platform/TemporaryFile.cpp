#include "platform/TemporaryFile.h"

#include "platform/FaultInjection.h"

#include <cerrno>
#include <cstddef>
#include <string_view>
#include <utility>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tw::platform {

namespace {

// The longest name most Linux file systems accept for one path component.
constexpr std::size_t maxNameBytes = 255;
constexpr std::string_view uniqueSuffix = ".tunewagon-XXXXXX";

// Cuts a UTF-8 text to at most maxBytes without splitting a character.
std::string cutUtf8(const std::string& text, std::size_t maxBytes) {
    if (text.size() <= maxBytes)
        return text;
    std::size_t end = maxBytes;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return text.substr(0, end);
}

} // namespace

TemporaryFile::~TemporaryFile() {
    if (!m_committed && !m_path.empty()) {
        m_handle.close();
        ::unlink(m_path.c_str());
    }
}

int TemporaryFile::create(const std::string& folder, const std::string& name) {
    // The real name stays recognisable, cut so that the whole name is still accepted.
    const std::string stem = cutUtf8(name, maxNameBytes - uniqueSuffix.size() - 1);
    std::string pattern = folder + "/." + stem + std::string(uniqueSuffix);
    if (const int error = takeFileFault(FileOperation::Open, folder + "/" + name))
        return error;
    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0)
        return errno;
    m_path = std::move(pattern);
    m_handle = FileHandle(fd);
    return 0;
}

int TemporaryFile::write(std::string_view bytes) {
    while (!bytes.empty()) {
        if (const int error = takeFileFault(FileOperation::Write, m_path))
            return error;
        const ssize_t n = ::write(m_handle.get(), bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return 0;
}

int TemporaryFile::sync() {
    return ::fsync(m_handle.get()) == 0 ? 0 : errno;
}

int TemporaryFile::setPermissions(unsigned mode) {
    return ::fchmod(m_handle.get(), static_cast<mode_t>(mode & 07777u)) == 0 ? 0 : errno;
}

int TemporaryFile::commitAs(const std::string& target) {
    if (!m_handle.close())
        return errno;
    if (::rename(m_path.c_str(), target.c_str()) != 0)
        return errno;
    m_committed = true;
    return 0;
}

} // namespace tw::platform
