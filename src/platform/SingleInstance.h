#pragma once
// One running copy of the program per user: a lock named after the main
// window's class, held for the life of the process. A second start finds it
// taken. The system drops the lock when the process ends, however it ends.

#include "platform/Status.h"

#include <string>

namespace quillon::platform {

class SingleInstance {
public:
    // name: the lock's name ("TFormMain"); folder: where the lock file lives,
    // empty for the user's runtime folder ($XDG_RUNTIME_DIR, else /tmp with
    // the user id in the name).
    explicit SingleInstance(const std::string& name, const std::string& folder = {});
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // True when this process holds the lock (no other copy runs).
    bool isFirst() const { return m_fd >= 0; }
    // Why the lock could not be taken, when that was not another copy
    // holding it (the lock file could not be created, say); ok otherwise.
    const Status& failure() const { return m_failure; }
    const std::string& lockPath() const { return m_path; }

private:
    std::string m_path;
    int m_fd = -1;
    Status m_failure;
};

} // namespace quillon::platform
