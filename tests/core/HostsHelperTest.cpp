#include "core/HostsHelper.h"

#include "core/HostsFrame.h"
#include "core/HostName.h"
#include "core/ListFile.h"
#include "fakes/FaultyFileSystem.h"
#include "fakes/StockHosts.h"
#include "fakes/TempDir.h"
#include "platform/HostsHelperProtocol.h"

#include <gtest/gtest.h>

#include <memory>

#include <cerrno>
#include <filesystem>

using namespace quillon::core;
using quillon::test::FaultyFileSystem;
using quillon::test::TempDir;
using quillon::test::stockDebianHosts;
using Op = FaultyFileSystem::Op;

namespace {

const std::string Marker = " #Quillon|2001/03/05|14.07.09|1|0#";
const std::string Good = "127.0.0.1 localhost " + Marker + "\r\n1.2.3.4 a " + Marker + "\r\n";
const std::string Foreign = "# my own\n127.0.0.1 localhost\n";
const std::vector<std::string> EtcHosts { "/etc/hosts" };

// Standard input that gives bytes in reads of at most chunk bytes, and
// counts what was read.
struct ScriptedInput {
    std::string bytes;
    std::size_t chunk = 4096;
    std::size_t read = 0;
    HelperInput function()
    {
        return [this](char* buffer, std::size_t size, int&) -> std::ptrdiff_t {
            const std::size_t n = std::min({ size, chunk, bytes.size() - read });
            std::copy_n(bytes.data() + read, n, buffer);
            read += n;
            return static_cast<std::ptrdiff_t>(n);
        };
    }
};

std::string framed(std::string_view text)
{
    return HostsFrame::of(text).header() + "\n" + std::string(text);
}

HostsHelperAnswer runOn(const TempDir& dir, FaultyFileSystem& fs, const std::vector<std::string>& args,
                        const std::string& bytes, const std::string& ownName = "mybox")
{
    ScriptedInput input { bytes };
    return runHostsHelper(args, input.function(), fs, { dir.path(), ownName });
}

class HostsHelperTest : public ::testing::Test {
protected:
    HostsHelperTest() { dir.write("hosts", Foreign); }
    HostsHelperAnswer run(const std::vector<std::string>& args, std::string_view text)
    {
        return runOn(dir, fs, args, framed(text));
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

TEST_F(HostsHelperTest, sizeOverTheLimit_isRefusedBeforeTheTextIsRead)
{
    const std::string header = HostsFrame { HostsHelperMaxInput + 1, std::string(64, 'a') }.header() + "\n";
    ScriptedInput input { header + "1.2.3.4 a " + Marker + "\r\n" };
    const HostsHelperAnswer a = runHostsHelper(EtcHosts, input.function(), fs, { dir.path(), "" });
    EXPECT_EQ(a.status, HelperInputTooLarge);
    EXPECT_EQ(input.read, header.size());
    expectUntouched();
}

TEST_F(HostsHelperTest, finish_completesARewriteCutShortAndReadsNothing)
{
    dir.write("hosts.tmp", Good);
    dir.write("hosts.redo", "");
    dir.write("hosts", Good.substr(0, 10));
    const HostsHelperAnswer a = runOn(dir, fs, { "--finish", "/etc/hosts" }, "never read");
    EXPECT_EQ(a.status, HelperReplaced) << a.message;
    EXPECT_EQ(dir.read("hosts"), Good);
    EXPECT_FALSE(dir.exists("hosts.redo"));
}

// The kept copies go back through the same replace, byte for byte, on the
// program's go-ahead alone; without it (the program ended while the person
// was asked) or with a missing copy nothing changes.
TEST_F(HostsHelperTest, restore_putsTheKeptCopyBack)
{
    const std::string go = quillon::platform::HostsHelperGoAhead;
    ASSERT_EQ(run(EtcHosts, Good).status, HelperReplaced);
    for (const std::string& input : { std::string(), go.substr(0, go.size() - 1), go + "more" }) {
        EXPECT_EQ(runOn(dir, fs, { "--restore-original", "/etc/hosts" }, input).status, HelperFrameRefused);
        EXPECT_EQ(dir.read("hosts"), Good);
    }
    HostsHelperAnswer a = runOn(dir, fs, { "--restore-original", "/etc/hosts" }, go);
    EXPECT_EQ(a.status, HelperReplaced) << a.message;
    EXPECT_EQ(dir.read("hosts"), Foreign);
    EXPECT_EQ(dir.read("hosts.bak"), Good);
    a = runOn(dir, fs, { "--restore-previous", "/etc/hosts" }, go);
    EXPECT_EQ(a.status, HelperReplaced) << a.message;
    EXPECT_EQ(dir.read("hosts"), Good);

    std::filesystem::remove(dir.file("hosts.orig"));
    a = runOn(dir, fs, { "--restore-original", "/etc/hosts" }, go);
    EXPECT_EQ(a.status, HelperReplaceFailed);
    EXPECT_EQ(a.message, "Cannot open file \"" + dir.file("hosts.orig") + "\". No such file or directory");
    EXPECT_EQ(dir.read("hosts"), Good);
}

namespace {

struct FrameCase {
    const char* name;
    std::string bytes;
    std::string why;
};

void PrintTo(const FrameCase& c, std::ostream* os) { *os << c.name; }

class CutOrForgedFrame : public ::testing::TestWithParam<FrameCase> {};

const std::string Text = Good;
const std::string Header = HostsFrame::of(Text).header() + "\n";

} // namespace

// Whatever is wrong with the frame, the text is refused whole, in reads of
// any size, and the hosts file is left as it was.
TEST_P(CutOrForgedFrame, isRefusedWhole)
{
    for (const std::size_t chunk : { std::size_t { 1 }, std::size_t { 7 }, std::size_t { 65536 } }) {
        TempDir dir;
        dir.write("hosts", Foreign);
        FaultyFileSystem fs;
        ScriptedInput input { GetParam().bytes, chunk };
        const HostsHelperAnswer a = runHostsHelper(EtcHosts, input.function(), fs, { dir.path(), "" });
        EXPECT_EQ(a.status, HelperFrameRefused) << chunk;
        EXPECT_EQ(a.message, "The new hosts file was refused: " + GetParam().why);
        EXPECT_EQ(dir.read("hosts"), Foreign);
        EXPECT_FALSE(dir.exists("hosts.tmp"));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Frames, CutOrForgedFrame,
    ::testing::Values(
        FrameCase { "noInput", "", "no text came." },
        FrameCase { "textWithoutHeader", Text, "it does not begin with its frame header." },
        FrameCase { "headerWithoutLineEnd", HostsFrame::of(Text).header(), "it does not begin with its frame header." },
        FrameCase { "otherVersion", "QUILLON-HOSTS 2" + Header.substr(15) + Text,
                    "it does not begin with its frame header." },
        FrameCase { "upperCaseChecksum", "QUILLON-HOSTS 1 " + std::to_string(Text.size()) + " "
                                             + std::string(64, 'A') + "\n" + Text,
                    "it does not begin with its frame header." },
        FrameCase { "cutAfterHeader", Header, "it ended after 0 of the " + std::to_string(Text.size())
                                                  + " bytes its frame announces." },
        FrameCase { "cutInTheText", Header + Text.substr(0, 20),
                    "it ended after 20 of the " + std::to_string(Text.size()) + " bytes its frame announces." },
        FrameCase { "longerThanAnnounced", Header + Text + "6.6.6.6 b " + Marker + "\r\n",
                    "it is longer than the " + std::to_string(Text.size()) + " bytes its frame announces." },
        FrameCase { "otherTextSameSize", Header + std::string(Text).replace(Text.find("1.2.3.4"), 7, "6.6.6.6"),
                    "its SHA-256 checksum is not the one its frame announces." }),
    [](const ::testing::TestParamInfo<FrameCase>& info) { return std::string(info.param.name); });

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
    const HostsHelperAnswer a = runOn(dir, fs, EtcHosts, framed(c.text));
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
    const HostsHelperAnswer a = runOn(dir, fs, GetParam().args, framed(Good));
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
                      TargetCase { "twoArguments", { "/etc/hosts", "/etc/hosts" } },
                      TargetCase { "finishOtherFile", { "--finish", "/etc/passwd" } },
                      TargetCase { "restoreOtherFile", { "--restore-original", "/etc/passwd" } },
                      TargetCase { "restoreNamedCopy", { "--restore", "/etc/shadow", "/etc/hosts" } }),
    [](const ::testing::TestParamInfo<TargetCase>& info) { return std::string(info.param.name); });

namespace {

// The stock hosts file as the program writes it after loading it, with
// hosts of its own added.
std::string programText(const std::string& hostsFile, const std::string& extra = {})
{
    TempDir dir;
    dir.write("hosts", hostsFile);
    FaultyFileSystem fs;
    HostStore store;
    EXPECT_TRUE(loadIntoActive(fs, dir.file("hosts"), store, StatusSaved));
    return formatListFile({ &store.hosts(), &store.wait() }, { StatusWaiting, false }, StatusSaved) + extra;
}

std::string withoutLineHolding(std::string text, const std::string& part)
{
    const std::size_t at = text.find(part);
    const std::size_t start = text.rfind('\n', at) == std::string::npos ? 0 : text.rfind('\n', at) + 1;
    return text.erase(start, text.find('\n', at) + 1 - start);
}

struct SystemCase {
    const char* name;
    std::string text; // what a caller sends, the system's lines as the program writes them
    std::string why;  // empty: accepted
    int status = HelperTextRefused;
};

void PrintTo(const SystemCase& c, std::ostream* os) { *os << c.name; }

class SystemLines : public ::testing::TestWithParam<SystemCase> {};

// A blocklist's loopback line and a line of the person's own with a name the
// program would not admit are the person's, not the system's: the texts
// below drop them, as a person deleting them in the program does.
const std::string Umlaut = "b\xC3\xBC" "cher.example";
const std::string Stock = stockDebianHosts("mybox") + "127.0.0.1 ads.example\n10.0.0.7\t" + Umlaut + " printer\n";
const std::string Kept = programText(stockDebianHosts("mybox"));

std::string reserved(const std::string& name)
{
    return "line 6 names \"" + name + "\", which only the system's own lines of /etc/hosts may name.";
}

std::string notAdmitted(const std::string& name)
{
    return "line 6 holds a name that Quillon does not admit. " + hostNameRefusal(name);
}

} // namespace

// Over the stock hosts file of a Debian machine named mybox: what the program
// writes passes, and whatever remaps or drops the system's lines is refused.
TEST_P(SystemLines, areKeptWhateverTheCallerSends)
{
    TempDir dir;
    dir.write("hosts", Stock);
    FaultyFileSystem fs;
    const SystemCase& c = GetParam();
    const HostsHelperAnswer a = runOn(dir, fs, EtcHosts, framed(c.text));
    if (c.why.empty()) {
        EXPECT_EQ(a.status, HelperReplaced) << a.message;
        EXPECT_EQ(dir.read("hosts"), c.text);
    } else {
        EXPECT_EQ(a.status, c.status);
        EXPECT_EQ(a.message, "The new hosts file was refused: " + c.why);
        EXPECT_EQ(dir.read("hosts"), Stock);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Stock, SystemLines,
    ::testing::Values(
        SystemCase { "programsOwnText", Kept + "10.0.0.9 nas " + M + "\r\n", "" },
        // Names that only look like reserved ones are anybody's.
        SystemCase { "nearReservedNames",
                     Kept + "1.2.3.4 myboxes.example localhost-tools.example ip6.example mybox-2 " + M + "\r\n", "" },
        SystemCase { "personsOwnLineAsItStands", Kept + "10.0.0.7 " + Umlaut + " printer " + M + "\r\n", "" },
        SystemCase { "localhostRemapped", Kept + "6.6.6.6 localhost " + M + "\r\n", reserved("localhost") },
        SystemCase { "localhostAsMappedIPv6", Kept + "::ffff:6.6.6.6 www.example localhost" + M + "\r\n",
                     reserved("localhost") },
        SystemCase { "localhostWithFinalDot", Kept + "6.6.6.6 localhost. " + M + "\r\n", reserved("localhost.") },
        SystemCase { "localhostLocaldomainAsAlias", Kept + "6.6.6.6 www.example Localhost.Localdomain " + M + "\r\n",
                     reserved("Localhost.Localdomain") },
        SystemCase { "nameUnderLocalhost", Kept + "6.6.6.6 app.localhost " + M + "\r\n", reserved("app.localhost") },
        SystemCase { "localhost4", Kept + "6.6.6.6 localhost4 " + M + "\r\n", reserved("localhost4") },
        SystemCase { "localhost6Dotted", Kept + "::6 localhost6. " + M + "\r\n", reserved("localhost6.") },
        SystemCase { "newIp6Name", Kept + "6.6.6.6 ip6-mcastprefix " + M + "\r\n", reserved("ip6-mcastprefix") },
        SystemCase { "ownNameElsewhere", Kept + "6.6.6.6 MYBOX " + M + "\r\n", reserved("MYBOX") },
        SystemCase { "ownNameWithFinalDot", Kept + "6.6.6.6 mybox. " + M + "\r\n", reserved("mybox.") },
        SystemCase { "ownNameWithLocaldomain", Kept + "6.6.6.6 mybox.localdomain " + M + "\r\n",
                     reserved("mybox.localdomain") },
        SystemCase { "ownNameWithDomainAsAlias", Kept + "6.6.6.6 www.example www2.example MyBox.anything " + M + "\r\n",
                     reserved("MyBox.anything") },
        SystemCase { "inadmissibleName", Kept + "1.2.3.4 " + Umlaut + " " + M + "\r\n", notAdmitted(Umlaut),
                     HelperNameRefused },
        SystemCase { "inadmissibleAlias", Kept + "1.2.3.4 good.example www." + Umlaut + " " + M + "\r\n",
                     notAdmitted("www." + Umlaut), HelperNameRefused },
        SystemCase { "directionChangingName", Kept + "1.2.3.4 ex\xE2\x80\xAE" "elpmaxe.com " + M + "\r\n",
                     "line 6 holds a name that Quillon does not admit. The host name \"ex\\u202Eelpmaxe.com\" was "
                     "refused: it holds an invisible or direction-changing character.",
                     HelperNameRefused },
        // The person's line stands only as it stood: moved or with a name
        // more, it is a new line.
        SystemCase { "personsLineMoved", Kept + "10.0.0.8 " + Umlaut + " printer " + M + "\r\n", notAdmitted(Umlaut),
                     HelperNameRefused },
        SystemCase { "personsLineWithAliasAdded", Kept + "10.0.0.7 " + Umlaut + " printer scanner " + M + "\r\n",
                     notAdmitted(Umlaut), HelperNameRefused },
        SystemCase { "ownLineMoved",
                     std::string(Kept).replace(Kept.find("127.0.1.1"), 9, "10.6.6.6"),
                     "line 2 names \"mybox.home.arpa\", which only the system's own lines of /etc/hosts may name." },
        SystemCase { "localhostDropped", withoutLineHolding(Kept, "127.0.0.1 localhost"),
                     "it drops or changes the system's line \"127.0.0.1 localhost\"." },
        SystemCase { "ip6LineDropped", withoutLineHolding(Kept, "ff02::2"),
                     "it drops or changes the system's line \"ff02::2 ip6-allrouters\"." },
        SystemCase { "empty", "", "it holds no host line." }),
    [](const ::testing::TestParamInfo<SystemCase>& info) { return std::string(info.param.name); });

// Over real hosts files, the text the program writes after loading one is
// taken: their localhost, ip6- and own-name lines are the system's and stand
// unchanged, whatever form they have (a final dot, localhost.localdomain, a
// link-local IPv6 address, the own name with a domain only).
TEST(HostsHelperText, programsTextOverRealHostsFiles_isTaken)
{
    const std::string data = std::string(QUILLON_TEST_DATA) + "/hosts/";
    const auto file = [&](const char* path) {
        std::string text;
        EXPECT_TRUE(quillon::platform::PosixFileSystem().readFile(data + path, text)) << path;
        return text;
    };
    const struct {
        const char* name;
        std::string hosts;
        std::string ownName;
    } cases[] = {
        { "StevenBlack", file("StevenBlack__hosts@2.1.21/hosts"), "mybox" },
        { "NetBSD", file("NetBSD__src/etc/hosts"), "mybox" },
        { "OpenBSD", file("openbsd__src/etc/hosts"), "noname" },
        { "FreeBSD", file("freebsd__freebsd-src/lib/libc/net/hosts"), "mybox" },
        { "goIPv6", file("golang__go/src/net/testdata/ipv6-hosts"), "mybox" },
        { "goCase", file("golang__go/src/net/testdata/case-hosts"), "PreserveMe" },
        { "stockWithOwnLanName", stockDebianHosts("mybox") + "192.168.1.5\tmybox.lan\n", "mybox" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        dir.write("hosts", c.hosts);
        FaultyFileSystem fs;
        const std::string text = programText(c.hosts);
        const HostsHelperAnswer a = runOn(dir, fs, EtcHosts, framed(text), c.ownName);
        EXPECT_EQ(a.status, HelperReplaced) << a.message;
        EXPECT_EQ(dir.read("hosts"), text);
    }
}
