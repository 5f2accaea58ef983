#include "core/HostsFile.h"

#include "core/Paths.h"
#include "fakes/FaultyFileSystem.h"
#include "fakes/TempDir.h"
#include "fakes/Unprivileged.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <cstring>
#include <sys/stat.h>
#include <sys/xattr.h>

using namespace quillon::core;
using quillon::platform::FileStamp;
using quillon::test::FaultyFileSystem;
using quillon::test::TempDir;
using Op = FaultyFileSystem::Op;

namespace {

const std::string Foreign = "# my own\r\n127.0.0.1 localhost\r\n::1 localhost ip6-localhost\r\n";
const std::string Ours1 = "1.2.3.4 a  #Quillon|2001/03/05|14.07.09|1|0#\r\n";
const std::string Ours2 = "5.6.7.8 b  #Quillon|2001/03/05|14.07.09|1|0#\r\n";

class HostsFileTest : public ::testing::Test {
protected:
    Outcome replace(const std::string& text)
    {
        return replaceHostsFile(fs, paths, text, own, own);
    }
    ino_t inode(const std::string& name) const
    {
        struct stat st {};
        ::stat(dir.file(name).c_str(), &st);
        return st.st_ino;
    }
    TempDir dir;
    FaultyFileSystem fs;
    HostsFilePaths paths = hostsFilePaths(dir.path());
    FileStamp own;
};

} // namespace

TEST(HostsFileText, foreignText_isAnyLineWithoutTheMarker)
{
    EXPECT_FALSE(isForeignHostsText(""));
    EXPECT_FALSE(isForeignHostsText("\r\n  \r\n"));
    EXPECT_FALSE(isForeignHostsText(Ours1 + Ours2));
    EXPECT_TRUE(isForeignHostsText(Ours1 + "# comment\r\n"));
    EXPECT_TRUE(isForeignHostsText(Foreign));
}

TEST_F(HostsFileTest, firstSave_withoutHostsFile_createsItWithoutBackup)
{
    ASSERT_TRUE(replace(Ours1));
    EXPECT_EQ(dir.read("hosts"), Ours1);
    EXPECT_FALSE(dir.exists("hosts.bak"));
    EXPECT_FALSE(dir.exists("hosts.orig"));
    EXPECT_FALSE(dir.exists("hosts.tmp"));
    EXPECT_TRUE(own.exists);
}

TEST_F(HostsFileTest, saves_keepForeignOriginalForGoodAndBackupOfThePreviousSave)
{
    dir.write("hosts", Foreign);
    ASSERT_TRUE(replace(Ours1));
    EXPECT_EQ(dir.read("hosts"), Ours1);
    EXPECT_EQ(dir.read("hosts.bak"), Foreign);
    EXPECT_EQ(dir.read("hosts.orig"), Foreign);

    ASSERT_TRUE(replace(Ours2));
    EXPECT_EQ(dir.read("hosts"), Ours2);
    EXPECT_EQ(dir.read("hosts.bak"), Ours1); // the file of the first save
    EXPECT_EQ(dir.read("hosts.orig"), Foreign);

    // Another foreign file later does not replace the kept original.
    dir.write("hosts", "10.0.0.1 other\r\n");
    ASSERT_TRUE(replace(Ours1));
    EXPECT_EQ(dir.read("hosts.orig"), Foreign);
    EXPECT_EQ(dir.read("hosts.bak"), "10.0.0.1 other\r\n");
}

TEST_F(HostsFileTest, ownFile_isNotKeptAsOriginal_andNotReadAgain)
{
    dir.write("hosts", Ours1);
    ASSERT_TRUE(replace(Ours2));
    EXPECT_FALSE(dir.exists("hosts.orig"));
    const auto reads = std::count(fs.log().begin(), fs.log().end(), "read " + dir.file("hosts"));
    ASSERT_TRUE(replace(Ours1));
    EXPECT_EQ(std::count(fs.log().begin(), fs.log().end(), "read " + dir.file("hosts")), reads);
}

TEST_F(HostsFileTest, replace_keepsModeOfTheOldFile)
{
    dir.write("hosts", Foreign);
    std::filesystem::permissions(dir.file("hosts"), std::filesystem::perms(0640));
    ASSERT_TRUE(replace(Ours1));
    EXPECT_EQ(std::filesystem::status(dir.file("hosts")).permissions(), std::filesystem::perms(0640));
}

TEST_F(HostsFileTest, failedTmpWrite_leavesHostsUntouched)
{
    dir.write("hosts", Foreign);
    fs.fail(Op::Write, paths.tmp, ENOSPC);
    const Outcome o = replace(Ours1);
    ASSERT_FALSE(o);
    EXPECT_EQ(o.message(), "Cannot create file \"" + paths.tmp + "\". No space left on device");
    EXPECT_EQ(dir.read("hosts"), Foreign);
    EXPECT_FALSE(dir.exists("hosts.tmp"));
    EXPECT_FALSE(own.exists);
}

TEST_F(HostsFileTest, hostsPathIsADirectory_failsAndKeepsIt)
{
    std::filesystem::create_directory(dir.file("hosts"));
    const Outcome o = replace(Ours1);
    ASSERT_FALSE(o);
    EXPECT_NE(o.message().find("Cannot replace file"), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("hosts")));
    EXPECT_FALSE(dir.exists("hosts.tmp"));
}

TEST_F(HostsFileTest, mountPoint_renameRefused_rewritesInPlaceWithRealBackup)
{
    dir.write("hosts", Foreign);
    const ino_t before = inode("hosts");
    fs.fail(Op::Rename, paths.hosts, EBUSY);
    ASSERT_TRUE(replace(Ours1));
    EXPECT_EQ(inode("hosts"), before); // the same file, rewritten
    EXPECT_EQ(dir.read("hosts"), Ours1);
    EXPECT_EQ(dir.read("hosts.bak"), Foreign);
    EXPECT_NE(inode("hosts.bak"), before);
    EXPECT_FALSE(dir.exists("hosts.tmp"));
}

TEST_F(HostsFileTest, linksRefused_backupIsCopied)
{
    dir.write("hosts", Foreign);
    fs.fail(Op::Link, "", EPERM);
    ASSERT_TRUE(replace(Ours1));
    EXPECT_EQ(dir.read("hosts.bak"), Foreign);
    EXPECT_EQ(dir.read("hosts"), Ours1);
}

TEST_F(HostsFileTest, originalCannotBeKept_saveStopsBeforeTouchingHosts)
{
    dir.write("hosts", Foreign);
    fs.fail(Op::Write, paths.orig + ".tmp", EIO);
    ASSERT_FALSE(replace(Ours1));
    EXPECT_EQ(dir.read("hosts"), Foreign);
    EXPECT_FALSE(dir.exists("hosts.orig"));
}

TEST_F(HostsFileTest, readOnlyFolder_failsWithReasonAndHostsStays)
{
    dir.write("hosts", Foreign);
    std::filesystem::permissions(dir.path(), std::filesystem::perms(0555));
    std::filesystem::permissions(dir.file("hosts"), std::filesystem::perms(0644));
    const std::string tmp = paths.tmp;
    const int result = quillon::test::runUnprivileged([&] {
        quillon::platform::PosixFileSystem real;
        FileStamp stamp;
        const Outcome o = replaceHostsFile(real, paths, Ours1, stamp, stamp);
        if (o)
            return 1;
        if (o.message() != "Cannot create file \"" + tmp + "\". Permission denied")
            return 2;
        return 0;
    });
    std::filesystem::permissions(dir.path(), std::filesystem::perms(0755));
    EXPECT_EQ(result, 0);
    EXPECT_EQ(dir.read("hosts"), Foreign);
}

// A replacement that fails leaves the old hosts file whole, and hosts.bak
// the previous copy: a refused rename, and for a hosts file that cannot be
// replaced by rename (a bind mount) a full disk, met before any byte
// changes, or a write that fails halfway, after which the old text comes
// back from the staged backup.
namespace {
struct FailedReplace {
    const char* name;
    int renameError;
    int rewriteError; // 0: the in-place rewrite is never reached
    const char* reason;
};
void PrintTo(const FailedReplace& c, std::ostream* os) { *os << c.name; }
class HostsFileFailure : public HostsFileTest, public ::testing::WithParamInterface<FailedReplace> {};
} // namespace

TEST_P(HostsFileFailure, leavesTheOldFileWholeAndSaysWhy)
{
    const FailedReplace& c = GetParam();
    dir.write("hosts", Foreign);
    dir.write("hosts.bak", Ours2);
    fs.fail(Op::Rename, paths.hosts, c.renameError);
    if (c.rewriteError != 0)
        fs.fail(Op::RewriteInPlace, paths.hosts, c.rewriteError, 1);
    const Outcome o = replace(Ours1 + Ours2);
    ASSERT_FALSE(o);
    EXPECT_EQ(o.message(), "Cannot replace file \"" + paths.hosts + "\". " + c.reason);
    EXPECT_EQ(dir.read("hosts"), Foreign);
    EXPECT_EQ(dir.read("hosts.bak"), Ours2);
    EXPECT_FALSE(dir.exists("hosts.tmp"));
    EXPECT_FALSE(dir.exists("hosts.redo"));
    EXPECT_FALSE(dir.exists("hosts.bak.new"));
}

INSTANTIATE_TEST_SUITE_P(Cases, HostsFileFailure,
                         ::testing::Values(FailedReplace { "renameRefused", EACCES, 0, "Permission denied" },
                                           FailedReplace { "mountPointFullDisk", EBUSY, ENOSPC,
                                                           "No space left on device" },
                                           FailedReplace { "mountPointWriteFailsHalfway", EBUSY, EIO,
                                                           "Input/output error" }),
                         [](const auto& info) { return std::string(info.param.name); });

// The rewrite and the putting back both fail (or the process is killed
// halfway): hosts is torn, and hosts.tmp, marked by hosts.redo, finishes the
// rewrite at the next start or before the next save, never copying the torn
// file anywhere; the old text waits as the staged backup.
TEST_F(HostsFileTest, mountPoint_tornRewrite_isFinishedLater_andNeverBackedUp)
{
    dir.write("hosts", Foreign);
    fs.fail(Op::Rename, paths.hosts, EBUSY);
    fs.fail(Op::RewriteInPlace, paths.hosts, EIO, 2);
    ASSERT_FALSE(replace(Ours1 + Ours2));
    EXPECT_NE(dir.read("hosts"), Foreign); // torn
    EXPECT_TRUE(dir.exists("hosts.redo"));
    EXPECT_EQ(dir.read("hosts.tmp"), Ours1 + Ours2);
    EXPECT_EQ(dir.read("hosts.bak.new"), Foreign);

    // The next save finishes the old rewrite first; hosts.bak then holds
    // that whole text, never the torn one.
    ASSERT_TRUE(replace(Ours2));
    EXPECT_EQ(dir.read("hosts"), Ours2);
    EXPECT_EQ(dir.read("hosts.bak"), Ours1 + Ours2);
    EXPECT_FALSE(dir.exists("hosts.redo"));
    EXPECT_FALSE(dir.exists("hosts.tmp"));
}

TEST_F(HostsFileTest, interruptedRewrite_isFinishedFromTheRedoCopy_aStrayTmpIsNot)
{
    dir.write("hosts", Ours1.substr(0, 20) + Foreign.substr(20)); // killed mid-write
    dir.write("hosts.tmp", Ours1);
    dir.write("hosts.bak", Foreign);
    dir.write("hosts.redo", "");
    ASSERT_TRUE(finishInterruptedRewrite(fs, paths));
    EXPECT_EQ(dir.read("hosts"), Ours1);
    EXPECT_FALSE(dir.exists("hosts.redo"));
    EXPECT_FALSE(dir.exists("hosts.tmp"));

    // Left by a save killed before its rename, hosts.tmp alone means nothing:
    // the hosts file is whole.
    dir.write("hosts.tmp", Ours2.substr(0, 10));
    ASSERT_TRUE(finishInterruptedRewrite(fs, paths));
    EXPECT_EQ(dir.read("hosts"), Ours1);

    // The marker without its copy: the old text comes back from hosts.bak.
    dir.remove("hosts.tmp");
    dir.write("hosts", "torn");
    dir.write("hosts.redo", "");
    ASSERT_TRUE(finishInterruptedRewrite(fs, paths));
    EXPECT_EQ(dir.read("hosts"), Foreign);
}

// Restore Previous killed after any step of its replace: once the next
// start has tidied the folder, the previous copy and the file it replaces
// are each whole in hosts or hosts.bak, and nothing else is left. A rename
// (links or copies) and an in-place rewrite (a bind mount).
namespace {
struct KilledRestore {
    const char* name;
    int error;      // 0, or a step the file system refuses with it, as this layout does:
    Op refused;     // this step
    const char* at; // on this path (in the hosts folder; empty: any)
};
void PrintTo(const KilledRestore& c, std::ostream* os) { *os << c.name; }
class HostsFileKilledRestore : public HostsFileTest, public ::testing::WithParamInterface<KilledRestore> {};
} // namespace

TEST_P(HostsFileKilledRestore, keepsThePreviousAndTheCurrentFile)
{
    const KilledRestore& c = GetParam();
    const std::string current = Foreign + Ours1;
    const std::string previous = Ours2;
    // The copy goes back with the current file's system lines.
    const std::string restored = "127.0.0.1 localhost\r\n::1 localhost ip6-localhost\r\n" + Ours2;
    for (std::size_t step = 0;; ++step) {
        SCOPED_TRACE("killed after step " + std::to_string(step));
        const std::string folder = "k" + std::to_string(step);
        std::filesystem::create_directory(dir.file(folder));
        const HostsFilePaths p = hostsFilePaths(dir.file(folder));
        dir.write(folder + "/hosts", current);
        dir.write(folder + "/hosts.bak", previous);
        fs.clearFailures();
        if (c.error != 0)
            fs.fail(c.refused, *c.at ? dir.file(folder + "/" + c.at) : "", c.error);
        const std::size_t before = fs.log().size();
        fs.haltAfter(step);
        FileStamp written;
        putBackKeptCopy(fs, p, KeptHostsCopy::Previous, "", own, written);
        const bool killed = fs.log().size() - before > step;
        fs.resume();

        ASSERT_TRUE(removeHostsLeftovers(fs, p));
        const std::string hosts = dir.read(folder + "/hosts");
        const std::string bak = dir.read(folder + "/hosts.bak");
        EXPECT_TRUE((hosts == current && bak == previous) || (hosts == restored && bak == current))
            << "hosts: " << hosts << "\nhosts.bak: " << bak;
        for (const char* left : { "hosts.tmp", "hosts.redo", "hosts.bak.new", "hosts.bak.new.tmp", "hosts.orig.tmp" })
            EXPECT_FALSE(dir.exists(folder + "/" + left)) << left;
        if (!killed)
            break;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, HostsFileKilledRestore,
                         ::testing::Values(KilledRestore { "renamed", 0, Op::Link, "" },
                                           KilledRestore { "linksRefused", EPERM, Op::Link, "" },
                                           KilledRestore { "mountPoint", EBUSY, Op::Rename, "hosts" }),
                         [](const auto& info) { return std::string(info.param.name); });

// The hosts file's attributes.
TEST_F(HostsFileTest, createdHostsFile_isReadableByEveryone_whateverTheUmask)
{
    const mode_t before = ::umask(077);
    const Outcome o = replace(Ours1);
    ::umask(before);
    ASSERT_TRUE(o);
    EXPECT_EQ(std::filesystem::status(dir.file("hosts")).permissions(), std::filesystem::perms(0644));
}

TEST_F(HostsFileTest, replace_carriesExtendedAttributesAndTheAcl_originalKeepsItsMode)
{
    dir.write("hosts", Foreign);
    std::filesystem::permissions(dir.file("hosts"), std::filesystem::perms(0640));
    // An ACL granting user 4242 read access, in the kernel's form.
    const unsigned char acl[] = { 2, 0, 0, 0,                                   // version
                                  1, 0, 6, 0, 0xff, 0xff, 0xff, 0xff,           // owner rw-
                                  2, 0, 4, 0, 0x92, 0x10, 0, 0,                 // user 4242 r--
                                  4, 0, 4, 0, 0xff, 0xff, 0xff, 0xff,           // group r--
                                  0x10, 0, 4, 0, 0xff, 0xff, 0xff, 0xff,        // mask r--
                                  0x20, 0, 0, 0, 0xff, 0xff, 0xff, 0xff };      // other ---
    const std::string hosts = dir.file("hosts");
    if (::setxattr(hosts.c_str(), "user.quillon-test", "kept", 4, 0) != 0
        || ::setxattr(hosts.c_str(), "system.posix_acl_access", acl, sizeof acl, 0) != 0)
        GTEST_SKIP() << "this file system holds no extended attributes";
    ASSERT_TRUE(replace(Ours1));
    EXPECT_EQ(dir.read("hosts"), Ours1);
    char value[16] = {};
    EXPECT_EQ(::getxattr(hosts.c_str(), "user.quillon-test", value, sizeof value), 4);
    EXPECT_STREQ(value, "kept");
    unsigned char copied[64] = {};
    ASSERT_EQ(::getxattr(hosts.c_str(), "system.posix_acl_access", copied, sizeof copied),
              static_cast<ssize_t>(sizeof acl));
    EXPECT_EQ(std::memcmp(copied, acl, sizeof acl), 0);
    EXPECT_EQ(std::filesystem::status(dir.file("hosts.orig")).permissions(), std::filesystem::perms(0640));
}

TEST_F(HostsFileTest, symbolicLink_staysALink_itsTargetIsReplaced)
{
    std::filesystem::create_directory(dir.file("real"));
    dir.write("real/hosts", Foreign);
    std::filesystem::create_symlink("real/hosts", dir.file("hosts"));
    ASSERT_TRUE(replace(Ours1));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("hosts")));
    EXPECT_EQ(dir.read("real/hosts"), Ours1);
    EXPECT_EQ(dir.read("hosts.bak"), Foreign);
    EXPECT_EQ(dir.read("hosts.orig"), Foreign);
    EXPECT_TRUE(own.exists);
}
