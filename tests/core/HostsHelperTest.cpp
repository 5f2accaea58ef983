#include "core/HostsHelper.h"

#include "core/ListFile.h"
#include "fakes/FaultyFileSystem.h"
#include "fakes/TempDir.h"

#include <gtest/gtest.h>

#include <memory>

#include <cerrno>
#include <filesystem>

using namespace quillon::core;
using quillon::test::FaultyFileSystem;
using quillon::test::TempDir;
using Op = FaultyFileSystem::Op;

namespace {

const std::string Marker = " #Quillon|2001/03/05|14.07.09|1|0#";
const std::string Good = "1.2.3.4 a " + Marker + "\r\n::1 localhost ip6-localhost" + Marker + "\r\n";
const std::string Foreign = "# my own\n127.0.0.1 localhost\n";
const std::vector<std::string> EtcHosts { "/etc/hosts" };

class HostsHelperTest : public ::testing::Test {
protected:
    HostsHelperTest() { dir.write("hosts", Foreign); }
    HostsHelperAnswer run(const std::vector<std::string>& args, std::string_view text)
    {
        return runHostsHelper(args, text, fs, dir.path());
    }
    // Nothing in the folder changed.
    void expectUntouched() const
    {
        EXPECT_EQ(dir.read("hosts"), Foreign);
        EXPECT_FALSE(dir.exists("hosts.tmp"));
        EXPECT_FALSE(dir.exists("hosts.bak"));
        EXPECT_FALSE(dir.exists("hosts.orig"));
    }
    TempDir dir;
    FaultyFileSystem fs;
};

} // namespace

TEST_F(HostsHelperTest, goodText_replacesHostsKeepingBackupAndOriginal)
{
    const HostsHelperAnswer a = run(EtcHosts, Good);
    EXPECT_EQ(a.status, HelperReplaced) << a.message;
    EXPECT_EQ(dir.read("hosts"), Good);
    EXPECT_EQ(dir.read("hosts.bak"), Foreign);
    EXPECT_EQ(dir.read("hosts.orig"), Foreign);
    EXPECT_FALSE(dir.exists("hosts.tmp"));
}

TEST_F(HostsHelperTest, failedReplace_answersWithTheSystemsReason)
{
    fs.fail(Op::Write, dir.file("hosts.tmp"), ENOSPC);
    const HostsHelperAnswer a = run(EtcHosts, Good);
    EXPECT_EQ(a.status, HelperReplaceFailed);
    EXPECT_EQ(a.message, "Cannot create file \"" + dir.file("hosts.tmp") + "\". No space left on device");
    EXPECT_EQ(dir.read("hosts"), Foreign);
}

TEST_F(HostsHelperTest, inputOverTheLimit_isRefusedBeforeItsLinesAreRead)
{
    // Left unwritten: the size alone refuses it, and untouched pages cost
    // no memory.
    const auto big = std::make_unique_for_overwrite<char[]>(HostsHelperMaxInput + 1);
    const HostsHelperAnswer a = run(EtcHosts, std::string_view(big.get(), HostsHelperMaxInput + 1));
    EXPECT_EQ(a.status, HelperInputTooLarge);
    expectUntouched();
}

// Everything the program writes into the hosts file passes: real hosts files
// and blocklists as the program loads and writes them again (comments
// dropped, foreign lines given the marker), and records whose fields come
// from elsewhere (a typed alias, no address, a date, a negative count).
TEST(HostsHelperText, whatTheProgramWrites_passes)
{
    const std::string data = std::string(QUILLON_TEST_DATA) + "/hosts/";
    FaultyFileSystem fs;
    HostStore store;
    for (const char* file : { "StevenBlack__hosts@2.1.21/hosts", "NetBSD__src/etc/hosts",
                              "jonhadfield__python-hosts/test_files/hosts_invalid", "golang__go/src/net/testdata/hosts" }) {
        ASSERT_TRUE(std::filesystem::exists(data + file)) << file;
        ASSERT_TRUE(loadIntoActive(fs, data + file, store, StatusSaved));
    }
    auto typed = std::make_unique<TRecHost>();
    typed->HostName = "typed.example";
    typed->Alias = "  two  spaces ";
    typed->Date = 40000.5;
    typed->Freq = -3;
    store.insertTopOfHosts(std::move(typed));
    auto bare = std::make_unique<TRecHost>();
    bare->HostName = "no-address.example";
    store.insertTopOfHosts(std::move(bare));

    const std::string text = formatListFile({ &store.hosts(), &store.wait() }, { StatusWaiting, false }, StatusSaved);
    ASSERT_GT(store.hosts().size(), 10000u);
    EXPECT_EQ(firstRefusedHostsLine(text), 0u);
    EXPECT_EQ(firstRefusedHostsLine(""), 0u);
    EXPECT_EQ(firstRefusedHostsLine("\r\n\n"), 0u);
}

namespace {

struct HostileCase {
    const char* name;
    std::string text;
    std::size_t line;
};

void PrintTo(const HostileCase& c, std::ostream* os) { *os << c.name; }

class HostileText : public ::testing::TestWithParam<HostileCase> {};

const std::string M = Marker;

} // namespace

// Each text is refused whole, naming its first bad line, and the hosts file
// is left as it was.
TEST_P(HostileText, isRefusedWhole)
{
    TempDir dir;
    dir.write("hosts", Foreign);
    FaultyFileSystem fs;
    const HostileCase& c = GetParam();
    EXPECT_EQ(firstRefusedHostsLine(c.text), c.line);
    const HostsHelperAnswer a = runHostsHelper(EtcHosts, c.text, fs, dir.path());
    EXPECT_EQ(a.status, HelperTextRefused);
    EXPECT_EQ(a.message, "The new hosts file was refused: line " + std::to_string(c.line)
                             + " is not a host line that Quillon writes.");
    EXPECT_EQ(dir.read("hosts"), Foreign);
    EXPECT_FALSE(dir.exists("hosts.tmp"));
}

INSTANTIATE_TEST_SUITE_P(
    Lines, HostileText,
    ::testing::Values(
        HostileCase { "commentLine", "1.2.3.4 a " + M + "\r\n# mine\r\n", 2 },
        HostileCase { "hashInName", "1.2.3.4 a#b " + M + "\r\n", 1 },
        // The resolver reads "evil" as a name; the program's reader drops the word.
        HostileCase { "hashInAliasWord", "1.2.3.4 good evil#x" + M + "\r\n", 1 },
        HostileCase { "tabBetweenFields", "1.2.3.4\ta " + M + "\r\n", 1 },
        HostileCase { "nulInName", std::string("1.2.3.4 go\0od ", 14) + M + "\r\n", 1 },
        HostileCase { "crInsideLine", "1.2.3.4 a " + M + "\r5.6.7.8 evil " + M + "\r\n", 1 },
        HostileCase { "ctrlZEndsOneReaderOnly", "1.2.3.4 a " + M + "\x1a\n5.6.7.8 evil " + M + "\n", 1 },
        HostileCase { "nameForAddress", "evil.example a " + M + "\r\n", 1 },
        HostileCase { "fiveNumberAddress", "1.2.3.4.5 a " + M + "\r\n", 1 },
        HostileCase { "ipv6WithZone", "fe80::1%eth0 a " + M + "\r\n", 1 },
        HostileCase { "noMarker", "1.2.3.4 a\r\n", 1 },
        HostileCase { "malformedMarker", "1.2.3.4 a #Quillon|junk#\r\n", 1 },
        HostileCase { "textAfterMarker", "1.2.3.4 a " + M + " 5.6.7.8\r\n", 1 },
        HostileCase { "secondMarker", "1.2.3.4 a #Quillon|x" + M + "\r\n", 1 },
        HostileCase { "noName", "1.2.3.4 " + M + "\r\n", 1 },
        HostileCase { "blanksOnly", "1.2.3.4 a " + M + "\r\n  \r\n", 2 },
        HostileCase { "overLongLine", "1.2.3.4 " + std::string(HostsHelperMaxLine, 'a') + M + "\r\n", 1 },
        HostileCase { "badLastLineWithoutEnd", "1.2.3.4 a " + M + "\r\nevil", 2 }),
    [](const ::testing::TestParamInfo<HostileCase>& info) { return std::string(info.param.name); });

namespace {

struct TargetCase {
    const char* name;
    std::vector<std::string> args;
};

void PrintTo(const TargetCase& c, std::ostream* os) { *os << c.name; }

class OtherTarget : public ::testing::TestWithParam<TargetCase> {};

} // namespace

TEST_P(OtherTarget, isRefusedAndNothingIsWritten)
{
    TempDir dir;
    dir.write("hosts", Foreign);
    FaultyFileSystem fs;
    const HostsHelperAnswer a = runHostsHelper(GetParam().args, Good, fs, dir.path());
    EXPECT_EQ(a.status, HelperTargetRefused);
    EXPECT_EQ(a.message, "The hosts helper writes /etc/hosts and no other file.");
    EXPECT_EQ(dir.read("hosts"), Foreign);
    EXPECT_FALSE(dir.exists("hosts.tmp"));
}

INSTANTIATE_TEST_SUITE_P(
    Args, OtherTarget,
    ::testing::Values(TargetCase { "none", {} }, TargetCase { "empty", { "" } },
                      TargetCase { "dotDotOut", { "/etc/hosts/../passwd" } },
                      TargetCase { "otherFolder", { "/tmp/hosts" } }, TargetCase { "doubleSlash", { "/etc//hosts" } },
                      TargetCase { "relative", { "hosts" } }, TargetCase { "trailingBlank", { "/etc/hosts " } },
                      TargetCase { "twoArguments", { "/etc/hosts", "/etc/hosts" } }),
    [](const ::testing::TestParamInfo<TargetCase>& info) { return std::string(info.param.name); });
