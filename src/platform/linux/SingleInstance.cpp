#include "platform/SingleInstance.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillon::platform {

SingleInstance::SingleInstance(const std::string& name, const std::string& folder)
{
    if (!folder.empty()) {
        m_path = folder + "/quillon-" + name + ".lock";
    } else if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime) {
        m_path = std::string(runtime) + "/quillon-" + name + ".lock";
    } else {
        m_path = "/tmp/quillon-" + name + "-" + std::to_string(::getuid()) + ".lock";
    }
    // In /tmp another user could plant a link or a file of their own there:
    // neither is followed nor taken for the lock.
    const int fd = ::open(m_path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        // No lock file possible: nothing to hold, so not the first, and the
        // reason is worth telling.
        m_failure = Status::fromErrno(errno);
        return;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) {
        m_failure = Status::fromErrno(EPERM);
        ::close(fd);
        return;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK)
            m_failure = Status::fromErrno(errno);
        ::close(fd);
        return;
    }
    m_fd = fd;
}

SingleInstance::~SingleInstance()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

} // namespace quillon::platform
