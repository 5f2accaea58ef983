#include "core/HostsFile.h"

#include "core/Paths.h"
#include "fakes/FaultyFileSystem.h"
#include "fakes/TempDir.h"
#include "fakes/Unprivileged.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <sys/stat.h>

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

TEST_F(HostsFileTest, failedRename_reportsReasonAndHostsStaysWhole)
{
    dir.write("hosts", Foreign);
    fs.fail(Op::Rename, paths.hosts, EACCES);
    const Outcome o = replace(Ours1);
    ASSERT_FALSE(o);
    EXPECT_EQ(o.message(), "Cannot replace file \"" + paths.hosts + "\". Permission denied");
    EXPECT_EQ(dir.read("hosts"), Foreign);
    EXPECT_EQ(dir.read("hosts.bak"), Foreign);
    EXPECT_FALSE(dir.exists("hosts.tmp"));
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
