#include "fakes/FaultyFileSystem.h"

#include <algorithm>
#include <cerrno>

namespace quillon::test {

void FaultyFileSystem::fail(Op op, const std::string& path, int code, int times, int skip)
{
    m_rules.push_back({ op, path, code, times, skip });
}

int FaultyFileSystem::calls(Op op) const
{
    int n = 0;
    for (const Op o : m_ops)
        n += o == op;
    return n;
}

platform::FileOwner FaultyFileSystem::ownerOf(const std::string& path)
{
    platform::FileOwner owner = m_real.ownerOf(path);
    if (std::find(m_ownedByOther.begin(), m_ownedByOther.end(), owner.resolved) != m_ownedByOther.end())
        owner.thisUser = false;
    return owner;
}

void FaultyFileSystem::ownedByOther(const std::string& path)
{
    m_ownedByOther.push_back(m_real.ownerOf(path).resolved);
}

platform::Status FaultyFileSystem::check(Op op, const std::string& path, const char* name)
{
    m_log.push_back(std::string(name) + " " + path);
    m_ops.push_back(op);
    if (halted())
        return platform::Status::fromErrno(EIO);
    for (Rule& r : m_rules) {
        if (r.op != op || (!r.path.empty() && r.path != path) || r.times == 0)
            continue;
        if (r.skip > 0) {
            --r.skip;
            continue;
        }
        if (r.times > 0)
            --r.times;
        return platform::Status::fromErrno(r.code);
    }
    return platform::Status::ok();
}

std::size_t FaultyFileSystem::bytesRead(const std::string& path) const
{
    const auto it = m_bytesRead.find(path);
    return it == m_bytesRead.end() ? 0 : it->second;
}

platform::Status FaultyFileSystem::readFile(const std::string& path, std::string& out)
{
    if (auto s = check(Op::Read, path, "read"); !s)
        return s;
    platform::Status s = m_real.readFile(path, out);
    countRead(path, out.size());
    return s;
}

platform::Status FaultyFileSystem::readPieces(const std::string& path,
                                              const std::function<void(std::string_view)>& take)
{
    if (auto s = check(Op::Read, path, "read"); !s)
        return s;
    return m_real.readPieces(path, [&](std::string_view piece) {
        countRead(path, piece.size());
        take(piece);
    });
}

platform::Status FaultyFileSystem::readLines(const std::string& path,
                                             const std::function<void(std::string_view)>& take)
{
    if (auto s = check(Op::Read, path, "read lines"); !s)
        return s;
    // Each line with one byte for its end.
    return m_real.readLines(path, [&](std::string_view line) {
        countRead(path, line.size() + 1);
        take(line);
    });
}

platform::Status FaultyFileSystem::readTail(const std::string& path, std::size_t maxBytes, std::string& out,
                                            bool& whole)
{
    if (auto s = check(Op::Read, path, "read tail"); !s)
        return s;
    platform::Status s = m_real.readTail(path, maxBytes, out, whole);
    countRead(path, out.size());
    return s;
}

platform::Status FaultyFileSystem::listFolder(const std::string& folder, std::vector<platform::FolderEntry>& out)
{
    if (auto s = check(Op::Read, folder, "list"); !s)
        return s;
    return m_real.listFolder(folder, out);
}

platform::Status FaultyFileSystem::copyFile(const std::string& from, const std::string& to)
{
    if (auto s = check(Op::Read, from, "copy from"); !s)
        return s;
    if (auto s = check(Op::Write, to, "copy to"); !s)
        return s;
    return m_real.copyFile(from, to);
}

platform::Status FaultyFileSystem::writeFile(const std::string& path, std::string_view data)
{
    if (auto s = check(Op::Write, path, "write"); !s)
        return s;
    return m_real.writeFile(path, data);
}

platform::Status FaultyFileSystem::createFile(const std::string& path, std::string_view data)
{
    if (auto s = check(Op::Write, path, "create"); !s)
        return s;
    return m_real.createFile(path, data);
}

platform::Status FaultyFileSystem::removeFile(const std::string& path)
{
    if (auto s = check(Op::Remove, path, "remove"); !s)
        return s;
    return m_real.removeFile(path);
}

platform::Status FaultyFileSystem::renameFile(const std::string& from, const std::string& to)
{
    if (auto s = check(Op::Rename, to, "rename"); !s)
        return s;
    return m_real.renameFile(from, to);
}

platform::Status FaultyFileSystem::linkFile(const std::string& from, const std::string& to)
{
    if (auto s = check(Op::Link, to, "link"); !s)
        return s;
    return m_real.linkFile(from, to);
}

platform::Status FaultyFileSystem::copyAttributes(const std::string& from, const std::string& to)
{
    if (auto s = check(Op::Attributes, to, "attributes"); !s)
        return s;
    return m_real.copyAttributes(from, to);
}

platform::Status FaultyFileSystem::setPermissions(const std::string& path, unsigned mode)
{
    if (auto s = check(Op::Permissions, path, "permissions"); !s)
        return s;
    return m_real.setPermissions(path, mode);
}

platform::Status FaultyFileSystem::rewriteInPlace(const std::string& path, std::string_view data, bool& changed)
{
    if (auto s = check(Op::RewriteInPlace, path, "rewrite"); !s) {
        changed = false;
        if (s.code() == ENOSPC || halted())
            return s;
        // Torn: the first half of the new text over the old one.
        std::string old;
        m_real.readFile(path, old);
        const std::size_t half = data.size() / 2;
        std::string torn(data.substr(0, half));
        if (old.size() > half)
            torn.append(old, half);
        bool ignored = false;
        m_real.rewriteInPlace(path, torn, ignored);
        changed = true;
        return s;
    }
    return m_real.rewriteInPlace(path, data, changed);
}

platform::Status FaultyFileSystem::syncDirectory(const std::string& dir)
{
    if (auto s = check(Op::SyncDir, dir, "syncdir"); !s)
        return s;
    return m_real.syncDirectory(dir);
}

} // namespace quillon::test
