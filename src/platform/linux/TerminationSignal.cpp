#include "platform/TerminationSignal.h"

#include <csignal>
#include <fcntl.h>
#include <initializer_list>
#include <unistd.h>

namespace quillon::platform {

namespace {

int g_pipe[2] = { -1, -1 };

void onSignal(int)
{
    const char byte = 1;
    // Only async-signal-safe work here: one byte into the pipe.
    [[maybe_unused]] const auto n = ::write(g_pipe[1], &byte, 1);
}

} // namespace

int terminationSignalDescriptor()
{
    if (g_pipe[0] >= 0)
        return g_pipe[0];
    if (::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        g_pipe[0] = g_pipe[1] = -1;
        return -1;
    }
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int sig : { SIGTERM, SIGHUP, SIGINT })
        ::sigaction(sig, &action, nullptr);
    return g_pipe[0];
}

void acknowledgeTerminationSignal()
{
    char buffer[16];
    while (g_pipe[0] >= 0 && ::read(g_pipe[0], buffer, sizeof buffer) > 0) {
    }
}

} // namespace quillon::platform
