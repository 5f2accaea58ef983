#pragma once
// The real file system, with chosen operations failing on purpose: a rule
// names the operation, the path it applies to (any path when empty) and the
// errno to fail with. Every call is logged as "op path".
//
// A failing in-place rewrite fails as a disk would: with ENOSPC at the
// reservation, before any byte changes; with any other error after writing
// the first half of the new text over the old one.
//
// haltAfter plays a process killed between two operations: from then on
// every logged operation fails and changes nothing, so the files stay as the
// kill would leave them.

#include "platform/linux/PosixFileSystem.h"

#include <map>
#include <string>
#include <vector>

namespace quillon::test {

class FaultyFileSystem final : public platform::FileSystem {
public:
    enum class Op { Read, Write, Remove, Rename, Link, Attributes, Permissions, RewriteInPlace, SyncDir };

    // Fails op on path (or on every path when path is empty) with code, for
    // the given number of calls (-1: always), after letting `skip` matching
    // calls succeed.
    void fail(Op op, const std::string& path, int code, int times = -1, int skip = 0);
    // How many calls of op were made.
    int calls(Op op) const;
    void clearFailures() { m_rules.clear(); }
    const std::vector<std::string>& log() const { return m_log; }
    // Lets the next `operations` logged operations run, then fails every
    // later one with EIO without touching a file; resume() ends that.
    void haltAfter(std::size_t operations) { m_haltAt = m_log.size() + operations; }
    void resume() { m_haltAt = NoHalt; }
    // The bytes the reads of path handed over, all reads together.
    std::size_t bytesRead(const std::string& path) const;

    bool fileExists(const std::string& path) override { return m_real.fileExists(path); }
    platform::FileStamp stamp(const std::string& path) override { return m_real.stamp(path); }
    platform::Status readFile(const std::string& path, std::string& out) override;
    // These two fail by the rules for Op::Read.
    platform::Status readPieces(const std::string& path,
                                const std::function<void(std::string_view piece)>& take) override;
    platform::Status readLines(const std::string& path,
                               const std::function<void(std::string_view line)>& take) override;
    platform::Status readTail(const std::string& path, std::size_t maxBytes, std::string& out, bool& whole) override;
    platform::Status listFolder(const std::string& folder, std::vector<platform::FolderEntry>& out) override;
    // Fails by the rules for Op::Read on from, then Op::Write on to.
    platform::Status copyFile(const std::string& from, const std::string& to) override;
    platform::Status writeFile(const std::string& path, std::string_view data) override;
    // Fails by the rules for Op::Write.
    platform::Status createFile(const std::string& path, std::string_view data) override;
    platform::Status removeFile(const std::string& path) override;
    platform::Status renameFile(const std::string& from, const std::string& to) override;
    platform::Status linkFile(const std::string& from, const std::string& to) override;
    platform::Status copyAttributes(const std::string& from, const std::string& to) override;
    platform::Status setPermissions(const std::string& path, unsigned mode) override;
    platform::Status rewriteInPlace(const std::string& path, std::string_view data, bool& changed) override;
    std::string linkTarget(const std::string& path) override { return m_real.linkTarget(path); }
    platform::Status syncDirectory(const std::string& dir) override;
    bool isOwnFile(const std::string& path) override { return m_real.isOwnFile(path); }
    // As the real one, except for the files and folders given to ownedByOther.
    platform::FileOwner ownerOf(const std::string& path) override;
    // ownerOf says that another user owns what path (links followed) leads
    // to, which must exist.
    void ownedByOther(const std::string& path);
    platform::FolderWriters othersMayWrite(const std::string& folder) override { return m_real.othersMayWrite(folder); }
    void waitForFolderWriters(const std::string& folder, int timeoutMs) override
    {
        m_real.waitForFolderWriters(folder, timeoutMs);
    }

private:
    struct Rule {
        Op op;
        std::string path;
        int code;
        int times;
        int skip;
    };
    // The failure for this call, or ok.
    platform::Status check(Op op, const std::string& path, const char* name);
    bool halted() const { return m_log.size() > m_haltAt; }
    void countRead(const std::string& path, std::size_t bytes) { m_bytesRead[path] += bytes; }

    static constexpr std::size_t NoHalt = static_cast<std::size_t>(-1);

    platform::PosixFileSystem m_real;
    std::vector<Rule> m_rules;
    std::vector<std::string> m_ownedByOther; // resolved
    std::vector<std::string> m_log;
    std::vector<Op> m_ops;
    std::size_t m_haltAt = NoHalt;
    std::map<std::string, std::size_t> m_bytesRead;
};

} // namespace quillon::test
