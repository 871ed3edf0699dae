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

// How a file is opened, beyond the path.
struct OpenRules {
    // A link at the path itself is refused (ELOOP) instead of followed.
    bool followLink = true;
    // Anything but a regular file (a FIFO, a device, a socket) is refused at once (EINVAL),
    // without waiting for a writer or a device. Playlists and language files are read twice
    // or in full: only a regular file will do.
    bool regularOnly = true;
};

// A file opened read-only. Opening never changes the file or its permissions.
class InputFile {
public:
    // Throws FileError when the file cannot be opened.
    explicit InputFile(const std::string& path, const OpenRules& rules = {});

    // Any file that can be read once: a regular file, a pipe, a FIFO (the open waits for its
    // writer; a Ctrl-C ends the wait with a FileError) or a device. A folder is refused.
    static InputFile anyKind(const std::string& path);

    // The process's standard input, under the name "-". Closing it leaves standard input open.
    static InputFile standardInput();

    // Reads up to size bytes; returns 0 at the end of the file. Throws FileError.
    std::size_t read(char* buffer, std::size_t size);

    // Reads up to size bytes at the offset without moving the read position; returns 0 at
    // the end of the file. Throws FileError.
    std::size_t readAt(char* buffer, std::size_t size, std::uint64_t offset);

    // Permission bits (07777) of the open file.
    unsigned permissions() const;

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

// A log that grows by whole records: ErrorLog/Debug.Log and the like. The file is opened
// below a folder that must not be a link itself, is never reached through a link, and must
// be a regular file (created when missing).
class RecordLog {
public:
    // Throws FileError when the folder or the file cannot be opened or is not what it must be.
    RecordLog(const std::string& folder, const std::string& name);

    // Appends the record whole, or leaves the file as it was and throws FileError.
    void append(std::string_view record);

    void close();

private:
    std::string m_path;
    FileHandle m_handle;
};

} // namespace tw::platform
