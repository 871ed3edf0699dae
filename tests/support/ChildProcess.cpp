#include "support/ChildProcess.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <system_error>
#include <utility>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tw::test {

namespace {

double now() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

OwnedDescriptor memoryFile(const char* name) {
    const int fd = ::memfd_create(name, MFD_CLOEXEC);
    if (fd < 0) {
        throw std::system_error(errno, std::generic_category(), "memfd_create");
    }
    return OwnedDescriptor(fd);
}

std::string readAll(int fd) {
    std::string text;
    if (::lseek(fd, 0, SEEK_SET) < 0) {
        return text;
    }
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        text.append(buffer, static_cast<std::size_t>(n));
    }
    return text;
}

} // namespace

OwnedDescriptor::~OwnedDescriptor() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

OwnedDescriptor::OwnedDescriptor(OwnedDescriptor&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)) {}

OwnedDescriptor& OwnedDescriptor::operator=(OwnedDescriptor&& other) noexcept {
    if (this != &other) {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
        m_fd = std::exchange(other.m_fd, -1);
    }
    return *this;
}

ChildProcess::ChildProcess(const std::vector<std::string>& argv,
                           const std::optional<std::string>& input,
                           const std::string& workingFolder) {
    // Each descriptor closes itself when a later step throws.
    OwnedDescriptor out = memoryFile("child-out");
    OwnedDescriptor err = memoryFile("child-err");
    OwnedDescriptor in;
    if (input) {
        in = memoryFile("child-in");
        if (::write(in.get(), input->data(), input->size()) !=
                static_cast<ssize_t>(input->size()) ||
            ::lseek(in.get(), 0, SEEK_SET) < 0) {
            throw std::system_error(errno, std::generic_category(), "child input");
        }
    } else {
        in = OwnedDescriptor(::open("/dev/null", O_RDONLY | O_CLOEXEC));
        if (!in.valid()) {
            throw std::system_error(errno, std::generic_category(), "/dev/null");
        }
    }
    std::vector<char*> args;
    for (const auto& a : argv) {
        args.push_back(const_cast<char*>(a.c_str()));
    }
    args.push_back(nullptr);

    m_started = now();
    const pid_t pid = ::fork();
    if (pid < 0) {
        throw std::system_error(errno, std::generic_category(), "fork");
    }
    if (pid == 0) {
        ::dup2(in.get(), STDIN_FILENO);
        ::dup2(out.get(), STDOUT_FILENO);
        ::dup2(err.get(), STDERR_FILENO);
        ::signal(SIGINT, SIG_DFL);
        if (!workingFolder.empty() && ::chdir(workingFolder.c_str()) != 0) {
            ::_exit(127);
        }
        ::execvp(args[0], args.data());
        ::_exit(127);
    }
    m_pid = pid;
    m_out = std::move(out);
    m_err = std::move(err);
}

ChildProcess::~ChildProcess() {
    if (m_pid > 0) {
        ::kill(m_pid, SIGKILL);
        int status = 0;
        while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
        }
    }
}

void ChildProcess::interrupt() {
    if (m_pid > 0) {
        ::kill(m_pid, SIGINT);
    }
}

void ChildProcess::terminate() {
    if (m_pid > 0) {
        ::kill(m_pid, SIGTERM);
    }
}

void ChildProcess::hangUp() {
    if (m_pid > 0) {
        ::kill(m_pid, SIGHUP);
    }
}

ChildOutcome ChildProcess::wait() {
    ChildOutcome outcome;
    if (m_pid <= 0) {
        return outcome;
    }
    int status = 0;
    struct rusage usage {};
    while (::wait4(m_pid, &status, 0, &usage) < 0) {
        if (errno != EINTR) {
            throw std::system_error(errno, std::generic_category(), "wait4");
        }
    }
    outcome.seconds = now() - m_started;
    m_pid = -1;
    outcome.exited = WIFEXITED(status);
    if (outcome.exited) {
        outcome.exitCode = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        outcome.signal = WTERMSIG(status);
    }
    outcome.maxRssKB = usage.ru_maxrss;
    outcome.cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    outcome.out = readAll(m_out.get());
    outcome.err = readAll(m_err.get());
    return outcome;
}

} // namespace tw::test
