#pragma once
// The file system as the program uses it. Paths are byte strings. Every
// operation reports failure with the system's reason; none throws.
//
// writeFile() returns only after the data is on disk (flushed and synced), so
// a file written and then renamed over another is never seen half-written.
// Every file it makes is new: whatever stood at its path (a stale copy, a
// link planted there) is removed, never followed or written through, and the
// file is created exclusively, readable by its owner only until the caller
// gives it its final attributes.
// The Linux implementation is PosixFileSystem; tests wrap it in a double that
// fails chosen operations on purpose.

#include "platform/Status.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace quillon::platform {

// What identifies one version of a file: its modification time to the
// nanosecond, its size and its identity on disk. A file that does not exist,
// or a path that is not a regular file, has exists == false.
struct FileStamp {
    bool exists = false;
    std::int64_t mtimeNs = 0;
    std::int64_t size = 0;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;

    bool operator==(const FileStamp&) const = default;
};

// The folder part of path: empty for a bare name (the working folder, as
// syncDirectory takes it), "/" for a file in the root.
inline std::string folderOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return {};
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The folder (links resolved) that others may write, and why: another
// user owns it, or its permission bits let others write (mode).
struct FolderWriters {
    std::string folder; // empty: only its owner may write
    bool itself = false; // the folder asked about, not one above it
    bool otherOwner = false;
    unsigned mode = 0;
    bool any() const { return !folder.empty(); }
};

// Where a path leads and whose it is.
struct FileOwner {
    bool exists = false;   // false: the path leads nowhere (the rest is empty)
    bool thisUser = false; // owned by the user this process runs as (its uid)
    std::string resolved;  // the path with every link, "." and ".." resolved
};

// One entry of a folder.
struct FolderEntry {
    std::string name;
    bool isFolder = false;
};

// Cuts tail to its last maxBytes; cut turns true when bytes go.
inline void trimTail(std::string& tail, std::size_t maxBytes, bool& cut)
{
    if (tail.size() > maxBytes) {
        tail.erase(0, tail.size() - maxBytes);
        cut = true;
    }
}
// Appends piece to tail, keeping the end of what was appended: never much
// more than maxBytes (trimmed with slack, so that trimming stays rare).
inline void appendToTail(std::string& tail, std::string_view piece, std::size_t maxBytes, bool& cut)
{
    tail.append(piece);
    if (tail.size() > 2 * maxBytes + (1 << 16))
        trimTail(tail, maxBytes, cut);
}

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // True when path names an existing regular file.
    virtual bool fileExists(const std::string& path) = 0;
    virtual FileStamp stamp(const std::string& path) = 0;

    // Reads the whole file into out.
    virtual Status readFile(const std::string& path, std::string& out) = 0;
    // Reads the whole file, handing it to take piece by piece, so that a
    // large file never stands in memory whole. The default reads it whole
    // and hands it over as one piece.
    virtual Status readPieces(const std::string& path, const std::function<void(std::string_view piece)>& take)
    {
        std::string text;
        Status s = readFile(path, text);
        if (s)
            take(text);
        return s;
    }
    // Reads at most the last maxBytes of the file into out, so that a file
    // far larger costs no more than that; whole is false when bytes before
    // out were left unread. The default reads the file through readPieces,
    // keeping only its end.
    virtual Status readTail(const std::string& path, std::size_t maxBytes, std::string& out, bool& whole)
    {
        out.clear();
        bool cut = false;
        Status s = readPieces(path, [&](std::string_view piece) { appendToTail(out, piece, maxBytes, cut); });
        trimTail(out, maxBytes, cut);
        whole = !cut;
        if (!s)
            out.clear();
        return s;
    }
    // Reads a text file line by line, in bounded memory whatever its size:
    // take gets each line without its end (LF, CR LF or a lone CR), a line
    // longer than LineSplitter::MaxLineBytes cut to that length.
    virtual Status readLines(const std::string& path, const std::function<void(std::string_view line)>& take) = 0;
    // Copies the bytes of from into a new file to (made as writeFile makes
    // it), in pieces; to is not synced.
    virtual Status copyFile(const std::string& from, const std::string& to) = 0;
    // The entries of a folder, without "." and "..", sorted by name with
    // letter case ignored (the order a person sees in a file manager).
    virtual Status listFolder(const std::string& folder, std::vector<FolderEntry>& out) = 0;
    // Removes whatever stands at path (a link itself, not what it points
    // at), creates a new file there exclusively with mode 0600, writes data
    // and syncs it to disk.
    virtual Status writeFile(const std::string& path, std::string_view data) = 0;
    // The same with the data made piece by piece, so that a large text never
    // stands in memory whole: next appends the following piece to the
    // (emptied) buffer it is given and returns false with the last one. The
    // default gathers the pieces and calls writeFile.
    virtual Status writeFilePieces(const std::string& path, const std::function<bool(std::string& piece)>& next)
    {
        std::string data;
        std::string piece;
        for (bool more = true; more;) {
            piece.clear();
            more = next(piece);
            data += piece;
        }
        return writeFile(path, data);
    }
    // The same for a file that must not exist yet: EEXIST when anything
    // stands at path (a link included), which is then left as it was.
    virtual Status createFile(const std::string& path, std::string_view data) = 0;
    // Deletes a file; a file that does not exist is an error (ENOENT).
    virtual Status removeFile(const std::string& path) = 0;
    // Renames from over to in one atomic step (POSIX rename).
    virtual Status renameFile(const std::string& from, const std::string& to) = 0;
    // Makes to a second name of the file from (a hard link); to must not exist.
    virtual Status linkFile(const std::string& from, const std::string& to) = 0;
    // Gives to the permission bits, extended attributes (the POSIX ACL is
    // one), owner and group of from. Best effort where the system refuses:
    // an owner that only root may give, attributes that the file system of
    // to cannot hold or that need privileges; the first other failure is
    // returned after the rest was tried.
    virtual Status copyAttributes(const std::string& from, const std::string& to) = 0;
    // Sets the permission bits of path to mode exactly, whatever the umask.
    virtual Status setPermissions(const std::string& path, unsigned mode) = 0;
    // Rewrites an existing file in place, for a file that cannot be replaced
    // by a rename (a mount point). The space for data is reserved before any
    // byte changes, so a full disk fails first; data is then written from the
    // start without truncating, the file cut to data's size, and synced.
    // changed says whether the file's bytes may now differ from before.
    virtual Status rewriteInPlace(const std::string& path, std::string_view data, bool& changed) = 0;
    // The file that a chain of symbolic links at path ends at (a relative
    // link is read from its own folder), or path when it is no link.
    virtual std::string linkTarget(const std::string& path) = 0;
    // Makes renames and creations inside dir durable.
    virtual Status syncDirectory(const std::string& dir) = 0;

    // True when path is a regular file itself (not a link) owned by the user
    // this process runs as, or by root: a file the program or the hosts
    // helper made, not one another user planted.
    virtual bool isOwnFile(const std::string& path) = 0;
    // Where path leads, links followed, and whether the user this process
    // runs as owns the file or folder there (root is another user unless
    // this process runs as root).
    virtual FileOwner ownerOf(const std::string& path) = 0;
    // Whether someone other than this process's user and root may create,
    // rename or remove entries in folder, or move it through a folder above
    // it: the first such folder (empty when there is none), with why.
    virtual FolderWriters othersMayWrite(const std::string& folder) = 0;
    // Waits, at most timeoutMs milliseconds, until no hosts helper is at work
    // on the hosts file in folder: the helper holds a lock that only root can
    // take while it writes /etc/hosts.
    virtual void waitForFolderWriters(const std::string& folder, int timeoutMs)
    {
        (void)folder;
        (void)timeoutMs;
    }
};

} // namespace quillon::platform
