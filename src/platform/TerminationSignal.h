#pragma once

namespace tw::platform {

// SIGTERM and SIGHUP (the session ending, a logout, `kill`, the terminal closing) as an event:
// from the first call on, neither signal ends the process any more; instead one byte becomes
// readable on the descriptor returned, so the program's own loop can close down in order. The same
// descriptor is returned on every call.
int terminationDescriptor();

// Reads away what the signal wrote, so the descriptor is quiet again.
void drainTermination(int fd);

} // namespace tw::platform
