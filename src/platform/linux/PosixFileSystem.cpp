#include "platform/linux/PosixFileSystem.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillon::platform {

namespace {

// Closes a descriptor when it goes out of scope.
class Fd {
public:
    explicit Fd(int fd) : m_fd(fd) {}
    ~Fd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return m_fd; }
    // Closes now, so that a failing close is reported.
    int release()
    {
        const int r = ::close(m_fd);
        m_fd = -1;
        return r;
    }

private:
    int m_fd;
};

} // namespace

bool PosixFileSystem::fileExists(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

FileStamp PosixFileSystem::stamp(const std::string& path)
{
    FileStamp s;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return s;
    s.exists = true;
    s.mtimeNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
    s.size = st.st_size;
    s.device = st.st_dev;
    s.inode = st.st_ino;
    return s;
}

Status PosixFileSystem::readFile(const std::string& path, std::string& out)
{
    out.clear();
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0)
        return Status::fromErrno(errno);
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0)
        return Status::fromErrno(errno);
    if (S_ISDIR(st.st_mode))
        return Status::fromErrno(EISDIR);
    if (S_ISREG(st.st_mode) && st.st_size > 0)
        out.reserve(static_cast<std::size_t>(st.st_size));
    char buffer[1 << 16];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const int err = errno;
            out.clear();
            return Status::fromErrno(err);
        }
        if (n == 0)
            break;
        out.append(buffer, static_cast<std::size_t>(n));
    }
    return Status::ok();
}

Status PosixFileSystem::writeFile(const std::string& path, std::string_view data)
{
    Fd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (fd.get() < 0)
        return Status::fromErrno(errno);
    const char* p = data.data();
    std::size_t left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(fd.get(), p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return Status::fromErrno(errno);
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    if (::fdatasync(fd.get()) != 0 && errno != EINVAL)
        return Status::fromErrno(errno);
    if (fd.release() != 0)
        return Status::fromErrno(errno);
    return Status::ok();
}

Status PosixFileSystem::removeFile(const std::string& path)
{
    if (::unlink(path.c_str()) != 0)
        return Status::fromErrno(errno);
    return Status::ok();
}

Status PosixFileSystem::renameFile(const std::string& from, const std::string& to)
{
    if (::rename(from.c_str(), to.c_str()) != 0)
        return Status::fromErrno(errno);
    return Status::ok();
}

Status PosixFileSystem::linkFile(const std::string& from, const std::string& to)
{
    if (::link(from.c_str(), to.c_str()) != 0)
        return Status::fromErrno(errno);
    return Status::ok();
}

Status PosixFileSystem::copyOwnerAndMode(const std::string& from, const std::string& to)
{
    struct stat st {};
    if (::stat(from.c_str(), &st) != 0)
        return Status::fromErrno(errno);
    struct stat target {};
    if (::stat(to.c_str(), &target) != 0)
        return Status::fromErrno(errno);
    // The mode first: where the owner cannot be given (not root), the
    // permission bits still are.
    if (::chmod(to.c_str(), st.st_mode & 07777) != 0)
        return Status::fromErrno(errno);
    if ((target.st_uid != st.st_uid || target.st_gid != st.st_gid)
        && ::chown(to.c_str(), st.st_uid, st.st_gid) != 0)
        return Status::fromErrno(errno);
    return Status::ok();
}

Status PosixFileSystem::syncDirectory(const std::string& dir)
{
    Fd fd(::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.get() < 0)
        return Status::fromErrno(errno);
    if (::fsync(fd.get()) != 0 && errno != EINVAL)
        return Status::fromErrno(errno);
    return Status::ok();
}

} // namespace quillon::platform
