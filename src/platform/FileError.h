#pragma once

#include <stdexcept>
#include <string>

namespace tw::platform {

// A file could not be opened, read or written. Carries the path and the system's reason.
class FileError : public std::runtime_error {
public:
    FileError(const std::string& what, std::string path, int errorNumber);

    const std::string& path() const { return m_path; }
    int errorNumber() const { return m_errorNumber; }
    // The path (or a folder on it) does not exist.
    bool notFound() const;

    // The error number of an input or output failure the system did not report itself.
    static const int ioError;

private:
    std::string m_path;
    int m_errorNumber;
};

// The system's text for an error number.
std::string errorText(int errorNumber);

} // namespace tw::platform
