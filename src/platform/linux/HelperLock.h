#pragma once
// The lock that makes the hosts helper the one writer of /etc/hosts: an
// exclusive flock on a lock file that root alone may open, in a folder that
// root alone may write (/run), so that no other user can hold it and stall a
// save. The helper waits a bounded time for it and, when it cannot have it,
// says which process holds it.
//
// A program without rights cannot open that file; it learns whether a
// helper is at work from /proc/locks, which lists every lock by the file's
// identity, and waits a bounded time for the lock to go.

#include <chrono>
#include <functional>
#include <string>

#include <sys/types.h>

namespace quillon::platform {

inline constexpr const char* HostsHelperLockFile = "/run/quillon-hosts.lock";

class HelperLock {
public:
    // Opens path, creating it with mode 0600 and never through a link, and
    // waits for its exclusive lock, at most timeout; giveUp (when given),
    // asked while it waits, ends the wait early. The file must be a regular
    // file of owner (root for the helper) that no one else may read or
    // write: anyone who could open it could hold a lock on it.
    HelperLock(const std::string& path, uid_t owner, std::chrono::milliseconds timeout,
               const std::function<bool()>& giveUp = {});
    ~HelperLock();
    HelperLock(const HelperLock&) = delete;
    HelperLock& operator=(const HelperLock&) = delete;

    bool held() const { return m_fd >= 0; }
    // Why it is not held, as a sentence to show; empty when held.
    const std::string& failure() const { return m_failure; }

private:
    int m_fd = -1;
    std::string m_failure;
};

// The process holding a lock on the file at path, from /proc/locks: "process
// PID, COMMAND"; empty when none does, or none that this process may see.
std::string lockHolder(const std::string& path);

// Waits until no process holds a lock on the file at path, at most timeout;
// false when one still does.
bool waitForLockRelease(const std::string& path, std::chrono::milliseconds timeout);

} // namespace quillon::platform
