#include "platform/linux/FolderLock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

namespace quillon::platform {

FolderLock::FolderLock(const std::string& folder, Kind kind, int timeoutMs)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    const int operation = kind == Kind::Exclusive ? LOCK_EX : LOCK_SH;
    if (timeoutMs < 0) {
        while (::flock(fd, operation) != 0) {
            if (errno != EINTR) {
                ::close(fd);
                return;
            }
        }
        m_fd = fd;
        return;
    }
    // Polled: a blocking flock cannot be given a time-out.
    for (int waited = 0;; waited += 10) {
        if (::flock(fd, operation | LOCK_NB) == 0) {
            m_fd = fd;
            return;
        }
        if ((errno != EWOULDBLOCK && errno != EINTR) || waited >= timeoutMs) {
            ::close(fd);
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

FolderLock::~FolderLock()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

} // namespace quillon::platform
