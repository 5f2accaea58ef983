#include "platform/linux/PosixFileSystem.h"

#include "platform/LineSplitter.h"
#include "platform/linux/HelperLock.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <strings.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace quillon::platform {

namespace {

// The first link on the way to path (following each link as the system
// does) that neither this user nor root owns; empty when there is none. Its
// owner could point it elsewhere after any check of where it leads.
std::string linkOwnedByOthers(const std::string& path, uid_t me)
{
    std::string done;         // resolved so far, without a final "/"
    std::string rest = path;  // still to walk
    if (!rest.starts_with("/")) {
        std::unique_ptr<char, void (*)(void*)> cwd(::getcwd(nullptr, 0), &std::free);
        if (!cwd)
            return {};
        rest = std::string(cwd.get()) + "/" + rest;
    }
    for (int links = 0; links < 40;) {
        while (rest.starts_with("/"))
            rest.erase(0, 1);
        if (rest.empty())
            return {};
        const std::size_t slash = rest.find('/');
        const std::string part = rest.substr(0, slash);
        rest = slash == std::string::npos ? std::string() : rest.substr(slash);
        if (part == ".")
            continue;
        if (part == "..") {
            done.erase(done.empty() ? 0 : done.rfind('/'));
            continue;
        }
        const std::string next = done + "/" + part;
        struct stat st {};
        if (::lstat(next.c_str(), &st) != 0)
            return {};
        if (!S_ISLNK(st.st_mode)) {
            done = next;
            continue;
        }
        if (st.st_uid != me && st.st_uid != 0)
            return next;
        std::string target(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 4096) + 1, '\0');
        const ssize_t n = ::readlink(next.c_str(), target.data(), target.size());
        if (n <= 0 || static_cast<std::size_t>(n) >= target.size())
            return {};
        target.resize(static_cast<std::size_t>(n));
        if (target.starts_with("/"))
            done.clear();
        rest = target + "/" + rest;
        ++links;
    }
    return {};
}

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
    // Takes another descriptor, closing the one held.
    void reset(int fd)
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }
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

namespace {

// Opens a file to read it, with what fstat says of it; a folder is no file
// to read.
Status openForReading(const std::string& path, Fd& fd, struct stat& st)
{
    fd.reset(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0)
        return Status::fromErrno(errno);
    if (::fstat(fd.get(), &st) != 0)
        return Status::fromErrno(errno);
    if (S_ISDIR(st.st_mode))
        return Status::fromErrno(EISDIR);
    return Status::ok();
}

// Reads a file in pieces; sized learns the size of a regular file first.
Status readFilePieces(const std::string& path, const std::function<void(std::size_t)>& sized,
                  const std::function<void(std::string_view)>& take)
{
    Fd fd(-1);
    struct stat st {};
    if (Status s = openForReading(path, fd, st); !s)
        return s;
    if (S_ISREG(st.st_mode) && st.st_size > 0)
        sized(static_cast<std::size_t>(st.st_size));
    char buffer[1 << 16];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return Status::fromErrno(errno);
        }
        if (n == 0)
            return Status::ok();
        take(std::string_view(buffer, static_cast<std::size_t>(n)));
    }
}

} // namespace

Status PosixFileSystem::readFile(const std::string& path, std::string& out)
{
    out.clear();
    Status s = readFilePieces(
        path, [&](std::size_t size) { out.reserve(size); }, [&](std::string_view piece) { out.append(piece); });
    if (!s)
        out.clear();
    return s;
}

Status PosixFileSystem::readPieces(const std::string& path, const std::function<void(std::string_view)>& take)
{
    return readFilePieces(path, [](std::size_t) {}, take);
}

Status PosixFileSystem::readTail(const std::string& path, std::size_t maxBytes, std::string& out, bool& whole)
{
    out.clear();
    bool cut = false;
    Fd fd(-1);
    struct stat st {};
    if (Status s = openForReading(path, fd, st); !s)
        return s;
    // A regular file is read from where its last maxBytes begin; anything
    // else (a pipe) from its start, keeping only the end.
    if (S_ISREG(st.st_mode) && static_cast<std::uint64_t>(st.st_size) > maxBytes) {
        if (::lseek(fd.get(), static_cast<off_t>(st.st_size - static_cast<off_t>(maxBytes)), SEEK_SET) < 0)
            return Status::fromErrno(errno);
        cut = true;
    }
    char buffer[1 << 16];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            out.clear();
            return Status::fromErrno(errno);
        }
        if (n == 0)
            break;
        appendToTail(out, std::string_view(buffer, static_cast<std::size_t>(n)), maxBytes, cut);
    }
    trimTail(out, maxBytes, cut);
    whole = !cut;
    return Status::ok();
}

Status PosixFileSystem::readLines(const std::string& path, const std::function<void(std::string_view)>& take)
{
    LineSplitter lines(take);
    Status s = readFilePieces(
        path, [](std::size_t) {}, [&](std::string_view piece) { lines.feed(piece); });
    if (s)
        lines.finish();
    return s;
}

namespace {

// A new file at path: what stood there goes first (a link is removed, not
// followed), then the file is created exclusively and private to its owner,
// so that nothing planted at the name is ever written through.
int openNewFile(const std::string& path)
{
    if (::unlink(path.c_str()) != 0 && errno != ENOENT)
        return -1;
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
}

} // namespace

Status PosixFileSystem::copyFile(const std::string& from, const std::string& to)
{
    Fd out(openNewFile(to));
    if (out.get() < 0)
        return Status::fromErrno(errno);
    Status written = Status::ok();
    Status read = readFilePieces(
        from, [](std::size_t) {},
        [&](std::string_view piece) {
            while (written && !piece.empty()) {
                const ssize_t n = ::write(out.get(), piece.data(), piece.size());
                if (n < 0 && errno == EINTR)
                    continue;
                if (n < 0)
                    written = Status::fromErrno(errno);
                else
                    piece.remove_prefix(static_cast<std::size_t>(n));
            }
        });
    if (!read)
        return read;
    if (!written)
        return written;
    if (out.release() != 0)
        return Status::fromErrno(errno);
    return Status::ok();
}

Status PosixFileSystem::listFolder(const std::string& folder, std::vector<FolderEntry>& out)
{
    out.clear();
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), &::closedir);
    if (!dir)
        return Status::fromErrno(errno);
    const int dirFd = ::dirfd(dir.get());
    errno = 0;
    while (const dirent* e = ::readdir(dir.get())) {
        const std::string_view name = e->d_name;
        if (name == "." || name == "..")
            continue;
        FolderEntry entry { std::string(name), e->d_type == DT_DIR };
        if (e->d_type == DT_UNKNOWN || e->d_type == DT_LNK) {
            // Follow links and ask file systems that do not fill d_type.
            struct stat st {};
            entry.isFolder = ::fstatat(dirFd, e->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
        }
        out.push_back(std::move(entry));
        errno = 0;
    }
    if (errno != 0)
        return Status::fromErrno(errno);
    std::sort(out.begin(), out.end(), [](const FolderEntry& a, const FolderEntry& b) {
        const int c = ::strcasecmp(a.name.c_str(), b.name.c_str());
        return c != 0 ? c < 0 : a.name < b.name;
    });
    return Status::ok();
}

namespace {

Status writeAll(const Fd& fd, std::string_view data)
{
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
    return Status::ok();
}

// Syncs and closes a file whose data is written.
Status syncAndClose(Fd& fd)
{
    if (::fdatasync(fd.get()) != 0 && errno != EINVAL)
        return Status::fromErrno(errno);
    if (fd.release() != 0)
        return Status::fromErrno(errno);
    return Status::ok();
}

// Writes all of data, syncs and closes.
Status writeOpened(Fd& fd, std::string_view data)
{
    if (Status s = writeAll(fd, data); !s)
        return s;
    return syncAndClose(fd);
}

} // namespace

Status PosixFileSystem::writeFile(const std::string& path, std::string_view data)
{
    Fd fd(openNewFile(path));
    if (fd.get() < 0)
        return Status::fromErrno(errno);
    return writeOpened(fd, data);
}

Status PosixFileSystem::writeFilePieces(const std::string& path, const std::function<bool(std::string&)>& next)
{
    Fd fd(openNewFile(path));
    if (fd.get() < 0)
        return Status::fromErrno(errno);
    std::string piece;
    for (bool more = true; more;) {
        piece.clear();
        more = next(piece);
        if (Status s = writeAll(fd, piece); !s)
            return s;
    }
    return syncAndClose(fd);
}

Status PosixFileSystem::createFile(const std::string& path, std::string_view data)
{
    Fd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (fd.get() < 0)
        return Status::fromErrno(errno);
    return writeOpened(fd, data);
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

namespace {

// The names of path's extended attributes, each ending with a zero byte.
Status listAttributes(const std::string& path, std::string& names)
{
    for (;;) {
        const ssize_t size = ::listxattr(path.c_str(), nullptr, 0);
        if (size < 0)
            return (errno == ENOTSUP) ? Status::ok() : Status::fromErrno(errno);
        names.resize(static_cast<std::size_t>(size));
        if (size == 0)
            return Status::ok();
        const ssize_t got = ::listxattr(path.c_str(), names.data(), names.size());
        if (got >= 0) {
            names.resize(static_cast<std::size_t>(got));
            return Status::ok();
        }
        if (errno != ERANGE) // grown meanwhile: ask again
            return Status::fromErrno(errno);
    }
}

// Refusals that leave an attribute out rather than fail: the target's file
// system cannot hold it, or only a privileged process may set it.
bool isTolerableAttributeRefusal(int error)
{
    return error == ENOTSUP || error == EPERM || error == EACCES;
}

Status copyExtendedAttributes(const std::string& from, const std::string& to)
{
    std::string names;
    if (Status s = listAttributes(from, names); !s)
        return s;
    Status first;
    std::string value;
    for (std::size_t pos = 0; pos < names.size();) {
        const std::string name(names.c_str() + pos);
        pos += name.size() + 1;
        const ssize_t size = ::getxattr(from.c_str(), name.c_str(), nullptr, 0);
        if (size < 0)
            continue; // gone meanwhile
        value.resize(static_cast<std::size_t>(size));
        const ssize_t got = ::getxattr(from.c_str(), name.c_str(), value.data(), value.size());
        if (got < 0)
            continue;
        if (::setxattr(to.c_str(), name.c_str(), value.data(), static_cast<std::size_t>(got), 0) != 0
            && !isTolerableAttributeRefusal(errno) && first.isOk())
            first = Status::fromErrno(errno);
    }
    return first;
}

} // namespace

Status PosixFileSystem::copyAttributes(const std::string& from, const std::string& to)
{
    struct stat st {};
    if (::stat(from.c_str(), &st) != 0)
        return Status::fromErrno(errno);
    struct stat target {};
    if (::stat(to.c_str(), &target) != 0)
        return Status::fromErrno(errno);
    // The mode first, then the attributes (an ACL's mask rewrites the group
    // bits), then the owner: where the owner cannot be given (not root), the
    // rest still is.
    if (::chmod(to.c_str(), st.st_mode & 07777) != 0)
        return Status::fromErrno(errno);
    const Status attributes = copyExtendedAttributes(from, to);
    if ((target.st_uid != st.st_uid || target.st_gid != st.st_gid) && ::chown(to.c_str(), st.st_uid, st.st_gid) != 0)
        return Status::fromErrno(errno);
    return attributes;
}

Status PosixFileSystem::setPermissions(const std::string& path, unsigned mode)
{
    if (::chmod(path.c_str(), static_cast<mode_t>(mode)) != 0)
        return Status::fromErrno(errno);
    return Status::ok();
}

Status PosixFileSystem::rewriteInPlace(const std::string& path, std::string_view data, bool& changed)
{
    changed = false;
    Fd fd(::open(path.c_str(), O_WRONLY | O_CLOEXEC));
    if (fd.get() < 0)
        return Status::fromErrno(errno);
    // Reserved without growing the file: a full disk fails here, while the
    // old text is still whole. File systems without fallocate go on unreserved.
    if (!data.empty()
        && ::fallocate(fd.get(), FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(data.size())) != 0
        && errno != EOPNOTSUPP && errno != ENOSYS)
        return Status::fromErrno(errno);
    changed = true;
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::pwrite(fd.get(), data.data() + done, data.size() - done, static_cast<off_t>(done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return Status::fromErrno(errno);
        }
        done += static_cast<std::size_t>(n);
    }
    if (::ftruncate(fd.get(), static_cast<off_t>(data.size())) != 0)
        return Status::fromErrno(errno);
    if (::fdatasync(fd.get()) != 0 && errno != EINVAL)
        return Status::fromErrno(errno);
    if (fd.release() != 0)
        return Status::fromErrno(errno);
    return Status::ok();
}

std::string PosixFileSystem::linkTarget(const std::string& path)
{
    std::string current = path;
    // As many links as the system itself follows (MAXSYMLINKS).
    for (int hop = 0; hop < 40; ++hop) {
        struct stat st {};
        if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return current;
        std::string target(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 255) + 1, '\0');
        const ssize_t n = ::readlink(current.c_str(), target.data(), target.size());
        if (n < 0 || static_cast<std::size_t>(n) >= target.size())
            return current;
        target.resize(static_cast<std::size_t>(n));
        if (!target.empty() && target.front() == '/') {
            current = target;
        } else {
            const auto slash = current.rfind('/');
            current = (slash == std::string::npos ? std::string() : current.substr(0, slash + 1)) + target;
        }
    }
    return current;
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

bool PosixFileSystem::isOwnFile(const std::string& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && (st.st_uid == ::geteuid() || st.st_uid == 0);
}

FileOwner PosixFileSystem::ownerOf(const std::string& path)
{
    std::unique_ptr<char, void (*)(void*)> real(::realpath(path.c_str(), nullptr), &std::free);
    struct stat st {};
    if (!real || ::stat(real.get(), &st) != 0)
        return {};
    return { true, st.st_uid == ::geteuid(), real.get() };
}

FolderWriters PosixFileSystem::othersMayWrite(const std::string& folder)
{
    const uid_t me = ::geteuid();
    if (const std::string link = linkOwnedByOthers(folder, me); !link.empty()) {
        struct stat st {};
        ::lstat(link.c_str(), &st);
        return { link, link == folder, true, static_cast<unsigned>(st.st_mode & 07777) };
    }
    // The folder really written, links resolved; one that does not exist
    // holds nothing to read, and nothing is created in it.
    std::unique_ptr<char, void (*)(void*)> real(::realpath(folder.c_str(), nullptr), &std::free);
    if (!real)
        return {};
    std::string path = real.get();
    for (bool first = true;; first = false) {
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0)
            return {};
        if (st.st_uid != me && st.st_uid != 0)
            return { path, first, true, static_cast<unsigned>(st.st_mode & 07777) };
        // Above the folder, the sticky bit keeps others from renaming what
        // they do not own, and each folder's owner is checked in its turn.
        const bool othersWrite = (st.st_mode & (S_IWGRP | S_IWOTH)) != 0;
        if (othersWrite && (first || (st.st_mode & S_ISVTX) == 0))
            return { path, first, false, static_cast<unsigned>(st.st_mode & 07777) };
        if (path == "/")
            return {};
        const auto slash = path.rfind('/');
        path = slash == 0 ? "/" : path.substr(0, slash);
    }
}

void PosixFileSystem::waitForFolderWriters(const std::string& folder, int timeoutMs)
{
    // The helper writes /etc/hosts and nothing else. Its lock is one this
    // user cannot open, let alone hold, so the wait is seen from outside
    // (/proc/locks) and no one but the helper can make it last.
    std::string trimmed = folder;
    while (trimmed.size() > 1 && trimmed.back() == '/')
        trimmed.pop_back();
    if (trimmed == "/etc")
        waitForLockRelease(HostsHelperLockFile, std::chrono::milliseconds(timeoutMs));
}

} // namespace quillon::platform
