#include "fakes/Unprivileged.h"

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

namespace quillon::test {

int runUnprivileged(const std::function<int()>& piece)
{
    if (::geteuid() != 0)
        return piece();
    const pid_t pid = ::fork();
    if (pid < 0)
        return 255;
    if (pid == 0) {
        const uid_t nobody = 65534;
        if (::setgroups(0, nullptr) != 0 || ::setgid(nobody) != 0 || ::setuid(nobody) != 0)
            ::_exit(254);
        ::_exit(piece() & 0xff);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 253;
}

} // namespace quillon::test
