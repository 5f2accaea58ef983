// The hosts helper's lock, in a temporary folder standing in for /run.

#include "platform/linux/HelperLock.h"

#include "fakes/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace std::chrono_literals;
using quillon::platform::HelperLock;
using quillon::test::TempDir;

namespace {

// Holds an exclusive flock on path for its life, as another process would.
class Holder {
public:
    explicit Holder(const std::string& path)
        : m_fd(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600))
    {
        EXPECT_EQ(::flock(m_fd, LOCK_EX | LOCK_NB), 0);
    }
    ~Holder() { ::close(m_fd); }
    Holder(const Holder&) = delete;
    Holder& operator=(const Holder&) = delete;

private:
    int m_fd;
};

std::string ownCommand()
{
    std::string command;
    char name[64] = {};
    const int fd = ::open("/proc/self/comm", O_RDONLY | O_CLOEXEC);
    const ssize_t n = fd >= 0 ? ::read(fd, name, sizeof name - 1) : -1;
    if (fd >= 0)
        ::close(fd);
    command.assign(name, n > 0 ? static_cast<std::size_t>(n) : 0);
    while (!command.empty() && command.back() == '\n')
        command.pop_back();
    return command;
}

struct RefusedCase {
    const char* name;
    // Puts something under the lock file's name in dir.
    void (*plant)(const TempDir& dir, const std::string& lockFile);
    int ownerOffset; // the owner asked for: this process's uid plus this
};

void PrintTo(const RefusedCase& c, std::ostream* os) { *os << c.name; }

class RefusedLockFile : public ::testing::TestWithParam<RefusedCase> {};

} // namespace

// Anything that another user could open, or that is not the plain file it
// made itself, is refused, and no lock is taken through it.
TEST_P(RefusedLockFile, isNotLocked)
{
    TempDir dir;
    const std::string lockFile = dir.file("quillon-hosts.lock");
    GetParam().plant(dir, lockFile);
    const HelperLock lock(lockFile, ::geteuid() + GetParam().ownerOffset, 60s);
    EXPECT_FALSE(lock.held());
    EXPECT_EQ(lock.failure(), "The lock file \"" + lockFile
                                  + "\" is not a regular file that only its owner may open; /etc/hosts was not written.");
}

INSTANTIATE_TEST_SUITE_P(
    Plants, RefusedLockFile,
    ::testing::Values(
        RefusedCase { "symlinkToOwnFile",
                      [](const TempDir& dir, const std::string& lockFile) {
                          dir.write("target", "");
                          ::chmod(dir.file("target").c_str(), 0600);
                          std::filesystem::create_symlink(dir.file("target"), lockFile);
                      },
                      0 },
        RefusedCase { "danglingSymlink",
                      [](const TempDir& dir, const std::string& lockFile) {
                          std::filesystem::create_symlink(dir.file("made-through-link"), lockFile);
                      },
                      0 },
        RefusedCase { "anotherUsersFile",
                      [](const TempDir&, const std::string& lockFile) {
                          ::close(::open(lockFile.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0600));
                      },
                      1 },
        RefusedCase { "readableByOthers",
                      [](const TempDir&, const std::string& lockFile) {
                          ::close(::open(lockFile.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0600));
                          ::chmod(lockFile.c_str(), 0644);
                      },
                      0 },
        RefusedCase { "fifo", [](const TempDir&, const std::string& lockFile) { ::mkfifo(lockFile.c_str(), 0600); },
                      0 },
        RefusedCase { "folder",
                      [](const TempDir&, const std::string& lockFile) { std::filesystem::create_directory(lockFile); },
                      0 }),
    [](const ::testing::TestParamInfo<RefusedCase>& info) { return std::string(info.param.name); });

TEST(HelperLock, dropsNoFileThroughADanglingLink)
{
    TempDir dir;
    std::filesystem::create_symlink(dir.file("made-through-link"), dir.file("quillon-hosts.lock"));
    const HelperLock lock(dir.file("quillon-hosts.lock"), ::geteuid(), 1s);
    EXPECT_FALSE(dir.exists("made-through-link"));
}

// Made where there was none, for its owner alone, and held against others
// until it goes.
TEST(HelperLock, createsAPrivateFile_andHoldsItExclusively)
{
    TempDir dir;
    const std::string lockFile = dir.file("quillon-hosts.lock");
    {
        const HelperLock lock(lockFile, ::geteuid(), 60s);
        ASSERT_TRUE(lock.held()) << lock.failure();
        EXPECT_EQ(lock.failure(), "");
        struct stat st {};
        ASSERT_EQ(::stat(lockFile.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, 0600u);
        const int other = ::open(lockFile.c_str(), O_RDONLY | O_CLOEXEC);
        EXPECT_NE(::flock(other, LOCK_SH | LOCK_NB), 0);
        EXPECT_EQ(quillon::platform::lockHolder(lockFile), "process " + std::to_string(::getpid()) + ", " + ownCommand());
        ::close(other);
    }
    EXPECT_EQ(quillon::platform::lockHolder(lockFile), "");
    EXPECT_TRUE(HelperLock(lockFile, ::geteuid(), 60s).held());
}

// A lock held elsewhere: the wait ends at its bound and says who holds it.
TEST(HelperLock, heldByAnother_givesUpAfterItsBound_namingTheHolder)
{
    TempDir dir;
    const std::string lockFile = dir.file("quillon-hosts.lock");
    const Holder other(lockFile);
    const HelperLock lock(lockFile, ::geteuid(), 200ms);
    EXPECT_FALSE(lock.held());
    EXPECT_EQ(lock.failure(), "Another program (process " + std::to_string(::getpid()) + ", " + ownCommand()
                                  + ") holds the lock on /etc/hosts (" + lockFile + "); try again later.");
}

// The program that runs the helper went away: the wait ends long before its
// bound.
TEST(HelperLock, heldByAnother_endsWhenToldToGiveUp)
{
    TempDir dir;
    const std::string lockFile = dir.file("quillon-hosts.lock");
    const Holder other(lockFile);
    int asked = 0;
    const HelperLock lock(lockFile, ::geteuid(), 600s, [&asked] { return ++asked == 3; });
    EXPECT_FALSE(lock.held());
    EXPECT_EQ(asked, 3);
    EXPECT_EQ(lock.failure(), "The save was given up while it waited for the lock on /etc/hosts.");
}

// What the program does while a helper works: it waits for the lock to go,
// at most its bound, without opening the file.
TEST(HelperLock, waitForLockRelease_isBounded_andSeesTheRelease)
{
    TempDir dir;
    const std::string lockFile = dir.file("quillon-hosts.lock");
    {
        const Holder other(lockFile);
        EXPECT_FALSE(quillon::platform::waitForLockRelease(lockFile, 100ms));
    }
    EXPECT_TRUE(quillon::platform::waitForLockRelease(lockFile, 600s));
    EXPECT_TRUE(quillon::platform::waitForLockRelease(dir.file("none"), 600s));
}
