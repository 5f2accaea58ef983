// quillon-hosts-helper: replaces /etc/hosts with the text on standard input,
// for a person who may not write /etc, run through pkexec. The rules and the
// exit statuses are in core/HostsHelper.h.

#include "core/HostsFile.h"
#include "core/HostsHelper.h"
#include "core/Paths.h"
#include "platform/HostsCaches.h"
#include "platform/HostsHelperProtocol.h"
#include "platform/linux/HelperLock.h"
#include "platform/linux/PosixFileSystem.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <string>
#include <string_view>
#include <vector>

#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::ptrdiff_t readInput(char* buffer, std::size_t size, int& error)
{
    for (;;) {
        const ssize_t n = ::read(STDIN_FILENO, buffer, size);
        if (n >= 0)
            return n;
        if (errno != EINTR) {
            error = errno;
            return -1;
        }
    }
}

void answer(std::string_view message)
{
    if (message.empty())
        return;
    std::string line(message);
    line.push_back('\n');
    std::string_view rest = line;
    while (!rest.empty()) {
        const ssize_t n = ::write(STDOUT_FILENO, rest.data(), rest.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        rest.remove_prefix(static_cast<std::size_t>(n));
    }
}

// The program that runs us closed its end: it was cancelled or has gone, and
// nobody waits for this helper any more. It sends nothing before it hears
// that we are ready, so this is all that can happen on our input meanwhile.
bool programGone()
{
    pollfd input { STDIN_FILENO, POLLRDHUP, 0 };
    return ::poll(&input, 1, 0) > 0 && (input.revents & (POLLHUP | POLLRDHUP | POLLERR)) != 0;
}

std::string ownHostName()
{
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0)
        return {};
    return name;
}

} // namespace

int main(int argc, char* argv[])
{
    // What pkexec hands over is not trusted: files the replace creates get
    // the hosts file's own attributes, or the system's usual bits, whatever
    // umask the caller had.
    ::umask(022);
    // The program gone while the answer is written must not end the helper
    // before it has finished with /etc.
    ::signal(SIGPIPE, SIG_IGN);
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);

    // One writer of /etc/hosts at a time, under a lock that no other user
    // can hold (see platform/linux/HelperLock.h), waited for a bounded time:
    // a program starting meanwhile waits for the end of this one before it
    // reads what was saved.
    const quillon::platform::HelperLock lock(quillon::platform::HostsHelperLockFile, 0, std::chrono::seconds(10),
                                             programGone);
    if (!lock.held()) {
        answer(lock.failure());
        return quillon::core::HelperLockUnavailable;
    }
    // The program sends the text only now (see platform/HostsHelperProtocol.h).
    answer(quillon::platform::HostsHelperReady);
    quillon::platform::PosixFileSystem fs;
    // Copies a killed helper left in /etc go before anything else is done,
    // whatever this run was asked for.
    quillon::core::removeHostsLeftovers(fs, quillon::core::hostsFilePaths("/etc"));
    const quillon::core::HostsHelperAnswer result
        = quillon::core::runHostsHelper(args, readInput, fs, { "/etc", ownHostName() });
    // As root, the helper also tells nscd to forget its copy of the old file.
    if (result.status == quillon::core::HelperReplaced)
        quillon::platform::refreshHostsCaches();
    answer(result.message);
    return result.status;
}
