#pragma once

namespace tw::platform {

// SIGTERM (the session ending, a logout, `kill`) as an event: from the first call on, the
// signal no longer ends the process; instead one byte becomes readable on the descriptor
// returned, so the program's own loop can close down in order. The same descriptor is
// returned on every call.
int terminationDescriptor();

// Reads away what the signal wrote, so the descriptor is quiet again.
void drainTermination(int fd);

} // namespace tw::platform
