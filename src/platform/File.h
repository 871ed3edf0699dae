#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tw::platform {

// An open file descriptor, closed when the object goes.
class FileHandle {
public:
    FileHandle() = default;
    explicit FileHandle(int fd)
        : m_fd(fd) {}
    ~FileHandle();
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    FileHandle(FileHandle&& other) noexcept;
    FileHandle& operator=(FileHandle&& other) noexcept;

    int get() const { return m_fd; }
    bool isOpen() const { return m_fd >= 0; }
    // Closes now; returns false when the system reported an error on close.
    bool close();
    int release();

private:
    int m_fd = -1;
};

// A file opened read-only. Opening never changes the file or its permissions.
class InputFile {
public:
    // A regular file (or a link to one). Throws FileError when the file cannot be opened or
    // is anything else: a named pipe or a device is refused at once, never waited for.
    explicit InputFile(const std::string& path);

    // Any file that can be read once: a regular file, a pipe, a FIFO (the open waits for its
    // writer; a Ctrl-C ends the wait with a FileError) or a device. A folder is refused.
    static InputFile anyKind(const std::string& path);

    // The process's standard input, under the name "-". Closing it leaves standard input open.
    static InputFile standardInput();

    // Reads up to size bytes; returns 0 at the end of the file. Throws FileError.
    std::size_t read(char* buffer, std::size_t size);

    // Size of the open file in bytes.
    std::int64_t size() const;

    // True for a regular file; false for a pipe, a FIFO, a terminal or a device, which can
    // be read only once.
    bool isRegular() const;

    const std::string& path() const { return m_path; }

private:
    InputFile(std::string path, FileHandle handle);

    std::string m_path;
    FileHandle m_handle;
};

// A file opened for writing: created when missing, then either truncated or appended to.
class OutputFile {
public:
    enum class Mode { Truncate, Append };

    // Throws FileError when the file cannot be opened.
    OutputFile(const std::string& path, Mode mode);

    // Writes all bytes or throws FileError.
    void write(std::string_view bytes);

    // Flushes the data to the device.
    void sync();

    // Closes the file; throws FileError when the system reports a failure.
    void close();

private:
    std::string m_path;
    FileHandle m_handle;
};

} // namespace tw::platform
