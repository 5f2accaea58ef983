#pragma once
// The file system as the program uses it. Paths are byte strings. Every
// operation reports failure with the system's reason; none throws.
//
// writeFile() returns only after the data is on disk (flushed and synced), so
// a file written and then renamed over another is never seen half-written.
// The Linux implementation is PosixFileSystem; tests wrap it in a double that
// fails chosen operations on purpose.

#include "platform/Status.h"

#include <cstdint>
#include <string>
#include <string_view>

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

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // True when path names an existing regular file.
    virtual bool fileExists(const std::string& path) = 0;
    virtual FileStamp stamp(const std::string& path) = 0;

    // Reads the whole file into out.
    virtual Status readFile(const std::string& path, std::string& out) = 0;
    // Creates or truncates path, writes data and syncs it to disk.
    virtual Status writeFile(const std::string& path, std::string_view data) = 0;
    // Deletes a file; a file that does not exist is an error (ENOENT).
    virtual Status removeFile(const std::string& path) = 0;
    // Renames from over to in one atomic step (POSIX rename).
    virtual Status renameFile(const std::string& from, const std::string& to) = 0;
    // Makes to a second name of the file from (a hard link); to must not exist.
    virtual Status linkFile(const std::string& from, const std::string& to) = 0;
    // Gives to the owner, group and permission bits of from.
    virtual Status copyOwnerAndMode(const std::string& from, const std::string& to) = 0;
    // Makes renames and creations inside dir durable.
    virtual Status syncDirectory(const std::string& dir) = 0;
};

} // namespace quillon::platform
