#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tw::test {

// How a child process ended, with everything it wrote.
struct ChildOutcome {
    bool exited = false;       // ended through exit(); otherwise killed by a signal
    int exitCode = -1;         // when exited
    int signal = 0;            // when killed
    std::string out, err;      // its standard output and standard error
    std::int64_t maxRssKB = 0; // peak resident memory
    double seconds = 0;        // wall-clock time from start to end
    double cpuSeconds = 0;     // user and system time of the child
};

// An open file descriptor, closed when the object goes.
class OwnedDescriptor {
public:
    OwnedDescriptor() = default;
    explicit OwnedDescriptor(int fd)
        : m_fd(fd) {}
    ~OwnedDescriptor();
    OwnedDescriptor(OwnedDescriptor&& other) noexcept;
    OwnedDescriptor& operator=(OwnedDescriptor&& other) noexcept;
    OwnedDescriptor(const OwnedDescriptor&) = delete;
    OwnedDescriptor& operator=(const OwnedDescriptor&) = delete;

    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

// A program run as a child process (for tests and benchmarks). Its standard output and error are
// captured; its standard input is the given text, or empty when none is given. A child still
// running when the object goes is killed and reaped.
class ChildProcess {
public:
    // argv[0] is looked up on PATH when it holds no "/". Throws std::system_error when the
    // process cannot be started.
    explicit ChildProcess(const std::vector<std::string>& argv,
                          const std::optional<std::string>& input = std::nullopt,
                          const std::string& workingFolder = {});
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Sends Ctrl-C (SIGINT).
    void interrupt();
    // Asks the process to end, as `kill` does (SIGTERM), or as a closed terminal does (SIGHUP).
    void terminate();
    void hangUp();
    // The child's process id.
    int pid() const { return m_pid; }
    // Waits for the end; call once.
    ChildOutcome wait();

private:
    int m_pid = -1;
    OwnedDescriptor m_out;
    OwnedDescriptor m_err;
    double m_started = 0;
};

} // namespace tw::test
