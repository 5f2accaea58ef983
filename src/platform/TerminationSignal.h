#pragma once
// Turns a request to terminate (SIGTERM, SIGHUP when the session ends, SIGINT)
// into a readable file descriptor, so that the event loop can run the
// program's exit save instead of the process dying with unsaved changes.

namespace quillon::platform {

// Installs the handlers once; returns the descriptor that becomes readable
// when such a signal arrives, or -1 when that could not be set up.
int terminationSignalDescriptor();
// Reads the pending notification so the descriptor is quiet again.
void acknowledgeTerminationSignal();

} // namespace quillon::platform
