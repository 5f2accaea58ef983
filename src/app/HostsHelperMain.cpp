// quillon-hosts-helper: replaces /etc/hosts with the text on standard input,
// for a person who may not write /etc, run through pkexec. The rules and the
// exit statuses are in core/HostsHelper.h.

#include "core/HostsHelper.h"
#include "platform/HostsCaches.h"
#include "platform/linux/PosixFileSystem.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// Reads standard input, but never more than one byte past the limit: that
// byte is enough to refuse the text as too large.
bool readInput(std::string& input, int& error)
{
    const std::size_t cap = quillon::core::HostsHelperMaxInput + 1;
    char buffer[65536];
    while (input.size() < cap) {
        const std::size_t want = std::min(sizeof buffer, cap - input.size());
        const ssize_t n = ::read(STDIN_FILENO, buffer, want);
        if (n == 0)
            return true;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            error = errno;
            return false;
        }
        input.append(buffer, static_cast<std::size_t>(n));
    }
    return true;
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

} // namespace

int main(int argc, char* argv[])
{
    // What pkexec hands over is not trusted: files the replace creates get
    // the hosts file's own attributes, or the system's usual bits, whatever
    // umask the caller had.
    ::umask(022);
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);

    std::string input;
    int error = 0;
    if (!readInput(input, error)) {
        answer(std::string("Cannot read the new hosts file. ") + std::strerror(error));
        return quillon::core::HelperInputUnreadable;
    }
    quillon::platform::PosixFileSystem fs;
    const quillon::core::HostsHelperAnswer result = quillon::core::runHostsHelper(args, input, fs, "/etc");
    // As root, the helper also tells nscd to forget its copy of the old file.
    if (result.status == quillon::core::HelperReplaced)
        quillon::platform::refreshHostsCaches();
    answer(result.message);
    return result.status;
}
