#include "platform/linux/HelperLock.h"

#include "platform/Status.h"

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace quillon::platform {

namespace {

// Often enough that a helper waiting for one that just ended goes on at
// once, seldom enough to cost nothing in the seconds it may wait.
constexpr std::chrono::milliseconds PollInterval { 50 };

// The holder's pid from the lines of /proc/locks ("1: FLOCK  ADVISORY  WRITE
// 1234 00:19:5678 0 EOF", device numbers in hexadecimal), 0 for none. Lines
// "1: -> FLOCK ..." are processes waiting for the lock, not holding it.
pid_t holderPid(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return 0;
    std::ifstream locks("/proc/locks");
    std::string line;
    while (std::getline(locks, line)) {
        std::istringstream fields(line);
        std::string number, type, mode, access, file;
        long pid = 0;
        if (!(fields >> number >> type) || type == "->" || !(fields >> mode >> access >> pid >> file))
            continue;
        unsigned devMajor = 0, devMinor = 0;
        unsigned long long inode = 0;
        if (std::sscanf(file.c_str(), "%x:%x:%llu", &devMajor, &devMinor, &inode) == 3 && devMajor == major(st.st_dev)
            && devMinor == minor(st.st_dev) && inode == st.st_ino)
            return static_cast<pid_t>(pid);
    }
    return 0;
}

} // namespace

HelperLock::HelperLock(const std::string& path, uid_t owner, std::chrono::milliseconds timeout,
                       const std::function<bool()>& giveUp)
{
    // O_NONBLOCK: a FIFO planted under the name must not hold the open.
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0600);
    const std::string refused = "The lock file \"" + path
        + "\" is not a regular file that only its owner may open; /etc/hosts was not written.";
    if (fd < 0) {
        // ELOOP: a link planted under the name; EISDIR: a folder.
        m_failure = errno == ELOOP || errno == EISDIR
            ? refused
            : "Cannot open the lock file \"" + path + "\". " + Status::fromErrno(errno).reason();
        return;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != owner || (st.st_mode & 077) != 0) {
        ::close(fd);
        m_failure = refused;
        return;
    }
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            m_fd = fd;
            return;
        }
        if (errno != EWOULDBLOCK && errno != EINTR) {
            m_failure = "Cannot lock \"" + path + "\". " + Status::fromErrno(errno).reason();
            break;
        }
        if (giveUp && giveUp()) {
            m_failure = "The save was given up while it waited for the lock on /etc/hosts.";
            break;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            const std::string holder = lockHolder(path);
            m_failure = "Another program" + (holder.empty() ? std::string() : " (" + holder + ")")
                + " holds the lock on /etc/hosts (" + path + "); try again later.";
            break;
        }
        std::this_thread::sleep_for(PollInterval);
    }
    ::close(fd);
}

HelperLock::~HelperLock()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

std::string lockHolder(const std::string& path)
{
    const pid_t pid = holderPid(path);
    if (pid <= 0)
        return {};
    std::string command;
    std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
    std::getline(comm, command);
    return "process " + std::to_string(pid) + (command.empty() ? std::string() : ", " + command);
}

bool waitForLockRelease(const std::string& path, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (holderPid(path) != 0) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(PollInterval);
    }
    return true;
}

} // namespace quillon::platform
