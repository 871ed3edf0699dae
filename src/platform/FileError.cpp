#include "platform/FileError.h"

#include <cerrno>
#include <cstring>

namespace tw::platform {

const int FileError::ioError = EIO;

FileError::FileError(const std::string& what, std::string path, int errorNumber)
    : std::runtime_error(what + " \"" + path + "\": " + std::strerror(errorNumber))
    , m_path(std::move(path))
    , m_errorNumber(errorNumber) {}

bool FileError::notFound() const {
    return m_errorNumber == ENOENT || m_errorNumber == ENOTDIR;
}

std::string errorText(int errorNumber) {
    return std::strerror(errorNumber);
}

} // namespace tw::platform
