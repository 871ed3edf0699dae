#include "platform/Terminal.h"

#include <atomic>
#include <cerrno>
#include <csignal>

#include <sys/ioctl.h>
#include <unistd.h>

namespace tw::platform {

namespace {

int descriptorOf(StdStream stream) {
    switch (stream) {
    case StdStream::Input:
        return STDIN_FILENO;
    case StdStream::Output:
        return STDOUT_FILENO;
    case StdStream::Error:
        break;
    }
    return STDERR_FILENO;
}

std::atomic<int> g_interrupts{0};
static_assert(std::atomic<int>::is_always_lock_free);
volatile std::sig_atomic_t g_exitAt = 0;

extern "C" void onInterrupt(int) {
    const int count = g_interrupts.fetch_add(1) + 1;
    if (g_exitAt > 0 && count >= g_exitAt) {
        ::_exit(130);
    }
}

// A request to end (logout, kill, a closed terminal) is a confirmed stop: the run abandons
// the current file, removes its temporary file and flushes, but the process is not ended
// here, so that nothing is left half done.
extern "C" void onTerminate(int) {
    int count = g_interrupts.load();
    while (count < 2 && !g_interrupts.compare_exchange_weak(count, 2)) {
    }
}

} // namespace

bool isTerminal(StdStream stream) {
    return ::isatty(descriptorOf(stream)) == 1;
}

int terminalColumns(StdStream stream) {
    struct winsize size {};
    if (::ioctl(descriptorOf(stream), TIOCGWINSZ, &size) != 0) {
        return 0;
    }
    return size.ws_col;
}

void writeStream(StdStream stream, std::string_view bytes) {
    const int fd = descriptorOf(stream);
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return; // a closed stream: nothing sensible left to do with the text
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}

std::optional<std::string> readInputLine() {
    std::string line;
    for (;;) {
        char c = 0;
        const ssize_t n = ::read(STDIN_FILENO, &c, 1);
        if (n < 0) {
            return std::nullopt; // a Ctrl-C or a read error
        }
        if (n == 0) {
            if (line.empty()) {
                return std::nullopt;
            }
            break;
        }
        if (c == '\n') {
            break;
        }
        if (line.size() == kLongestInputLine) {
            return std::nullopt;
        }
        line += c;
    }
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    return line;
}

void installInterruptCounter(int exitAt) {
    g_exitAt = exitAt;
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0; // no SA_RESTART: a pending terminal read returns
    ::sigaction(SIGINT, &action, nullptr);
    struct sigaction terminate {};
    terminate.sa_handler = onTerminate;
    sigemptyset(&terminate.sa_mask);
    terminate.sa_flags = 0;
    ::sigaction(SIGTERM, &terminate, nullptr);
    ::sigaction(SIGHUP, &terminate, nullptr);
}

int interruptCount() {
    return g_interrupts.load();
}

void clearInterrupts() {
    g_interrupts.store(0);
}

} // namespace tw::platform
