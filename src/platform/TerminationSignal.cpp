#include "platform/TerminationSignal.h"

#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <unistd.h>

namespace tw::platform {

namespace {

int g_pipe[2] = {-1, -1};

extern "C" void onTermination(int) {
    const int saved = errno;
    const char byte = 'T';
    static_cast<void>(::write(g_pipe[1], &byte, 1));
    errno = saved;
}

} // namespace

int terminationDescriptor() {
    if (g_pipe[0] >= 0)
        return g_pipe[0];
    if (::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return -1;
    struct sigaction action {};
    action.sa_handler = onTermination;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGHUP, &action, nullptr);
    return g_pipe[0];
}

void drainTermination(int fd) {
    char buffer[64];
    while (::read(fd, buffer, sizeof buffer) > 0) {
    }
}

} // namespace tw::platform
