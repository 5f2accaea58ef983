#pragma once
// The real file system, with reads, writes or renames made to fail on
// purpose (EIO), to reach the error paths a healthy disk never takes.
// A write or rename can also be let through a number of times first.

#include "platform/linux/PosixFileSystem.h"

#include <cerrno>

namespace quillon::test {

class FailingFileSystem final : public platform::FileSystem {
public:
    void failReads(bool on) { m_failReads = on; }
    // Fails every writeFile after the given number of successful ones.
    void failWritesAfter(int successes) { m_writesLeft = successes; }
    void failRenamesAfter(int successes) { m_renamesLeft = successes; }

    int writeCalls() const { return m_writeCalls; }

    bool fileExists(const std::string& path) override { return m_real.fileExists(path); }
    platform::FileStamp stamp(const std::string& path) override { return m_real.stamp(path); }
    platform::Status readFile(const std::string& path, std::string& out) override
    {
        if (m_failReads)
            return platform::Status::fromErrno(EIO);
        return m_real.readFile(path, out);
    }
    platform::Status writeFile(const std::string& path, std::string_view data) override
    {
        ++m_writeCalls;
        if (m_writesLeft == 0)
            return platform::Status::fromErrno(EIO);
        if (m_writesLeft > 0)
            --m_writesLeft;
        return m_real.writeFile(path, data);
    }
    platform::Status removeFile(const std::string& path) override { return m_real.removeFile(path); }
    platform::Status renameFile(const std::string& from, const std::string& to) override
    {
        if (m_renamesLeft == 0)
            return platform::Status::fromErrno(EIO);
        if (m_renamesLeft > 0)
            --m_renamesLeft;
        return m_real.renameFile(from, to);
    }
    platform::Status linkFile(const std::string& from, const std::string& to) override
    {
        return m_real.linkFile(from, to);
    }
    platform::Status copyOwnerAndMode(const std::string& from, const std::string& to) override
    {
        return m_real.copyOwnerAndMode(from, to);
    }
    platform::Status syncDirectory(const std::string& dir) override { return m_real.syncDirectory(dir); }

private:
    platform::PosixFileSystem m_real;
    bool m_failReads = false;
    int m_writesLeft = -1; // -1: never fail
    int m_renamesLeft = -1;
    int m_writeCalls = 0;
};

} // namespace quillon::test
