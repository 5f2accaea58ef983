#pragma once
// An advisory lock on a folder (flock on the folder itself), held for the
// object's life. The hosts helper holds it exclusively on /etc while it
// replaces /etc/hosts; the program takes it shared, briefly, before it reads
// what a save through the helper left, so that it never reads a file the
// helper is still writing. Any user may lock a folder they can open.

#include <string>

namespace quillon::platform {

class FolderLock {
public:
    enum class Kind { Shared, Exclusive };

    // Waits for the lock, at most timeoutMs milliseconds (-1: as long as it
    // takes). A folder that cannot be opened or locked leaves it unheld.
    FolderLock(const std::string& folder, Kind kind, int timeoutMs = -1);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    bool held() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

} // namespace quillon::platform
