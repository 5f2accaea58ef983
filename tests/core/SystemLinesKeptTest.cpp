// The hosts file's own lines through saves, deletes, imports and restores:
// its comments, blank lines and system lines stay at the top as written, and
// every text the program sends is one the helper takes. The helper runs in
// this process over the test's hosts folder.

#include "core/HostListFile.h"
#include "core/HostsHelper.h"
#include "core/HostsRestore.h"
#include "core/ListCommands.h"
#include "core/ListFile.h"
#include "core/SaveAll.h"

#include "fakes/AppFixture.h"
#include "fakes/StockHosts.h"
#include "platform/HostsHelperProtocol.h"
#include "platform/PrivilegedHostsWriter.h"

using namespace quillon::core;
using namespace quillon::test;
using quillon::platform::HostsWriteResult;

namespace {

// Runs the helper's routine on what the program sends.
class InProcessHelper : public quillon::platform::PrivilegedHostsWriter {
public:
    InProcessHelper(FaultyFileSystem& fs, std::string folder, std::string ownName)
        : m_fs(fs), m_system { std::move(folder), std::move(ownName) }
    {
    }
    bool neededFor(const std::string&) const override { return true; }
    HostsWriteResult writePieces(const std::function<bool(std::string&)>& next) override
    {
        std::string framed;
        for (bool more = true; more;) {
            std::string piece;
            more = next(piece);
            framed += piece;
        }
        ++runs;
        return run({ std::string(HostsHelperTarget) }, framed);
    }
    HostsWriteResult finishRewrite() override
    {
        return run({ std::string(HostsHelperFinish), std::string(HostsHelperTarget) }, "");
    }
    HostsWriteResult putBackKeptCopy(bool original) override
    {
        return run({ std::string(original ? HostsHelperRestoreOriginal : HostsHelperRestorePrevious),
                     std::string(HostsHelperTarget) },
                   quillon::platform::HostsHelperGoAhead);
    }
    int runs = 0;

private:
    HostsWriteResult run(const std::vector<std::string>& args, const std::string& bytes)
    {
        std::size_t at = 0;
        const HelperInput input = [&](char* buffer, std::size_t size, int&) -> std::ptrdiff_t {
            const std::size_t n = std::min(size, bytes.size() - at);
            std::copy_n(bytes.data() + at, n, buffer);
            at += n;
            return static_cast<std::ptrdiff_t>(n);
        };
        const HostsHelperAnswer a = runHostsHelper(args, input, m_fs, m_system);
        if (a.status == HelperReplaced)
            return {};
        return { HostsWriteResult::Kind::Failed, a.message };
    }
    FaultyFileSystem& m_fs;
    HelperSystem m_system;
};

// The text as the program writes its lines: CR LF.
std::string crlf(const std::string& text)
{
    std::string out;
    forEachLine(text, [&](std::string_view line) { out.append(line).append("\r\n"); });
    return out;
}

RecordPtr verified(const std::string& name, const std::string& ip)
{
    auto r = std::make_unique<TRecHost>();
    r->HostName = name;
    r->IP = ip;
    r->Date = 45000;
    r->Status = StatusVerified;
    return r;
}

class SystemLinesKeptTest : public AppFixture {
protected:
    void startThroughHelper(const std::string& hosts)
    {
        hostsDir.write("hosts", hosts);
        resolver.hostName = "mybox";
        startAndLoad();
        state.hostsThroughHelper = true;
        app.hostsWriter = &helper;
    }
    // Adds a host and saves: the helper must take the text.
    void addAndSave(const std::string& name)
    {
        state.store.insertTopOfHosts(verified(name, "93.184.216.34"));
        ASSERT_TRUE(saveAll(app)) << asked();
        EXPECT_NE(hostsDir.read("hosts").find(name), std::string::npos);
    }
    std::string asked() const
    {
        std::string all;
        for (const std::string& text : dialogs.askedTexts())
            all += text + "\n";
        return all;
    }
    InProcessHelper helper { fs, hostsDir.path(), "mybox" };
};

} // namespace

// Debian's own file, with the own name on a second line and a line written
// by hand with tabs and a comment: every one of them stays as written and
// where it stood, and new hosts go below.
TEST_F(SystemLinesKeptTest, stockFile_ownNameTwice_handWrittenLine_stayAsWrittenAtTheTop)
{
    const std::string system = stockDebianHosts("mybox") + "192.168.1.5\tmybox\n";
    startThroughHelper(system + "192.168.1.20\tnas\t# the NAS\n");
    addAndSave("example.com");
    addAndSave("example.org");
    const std::string hosts = hostsDir.read("hosts");
    EXPECT_TRUE(hosts.starts_with(crlf(system) + "93.184.216.34 example.org  #Quillon|")) << hosts;
    EXPECT_TRUE(hosts.ends_with("\r\n192.168.1.20\tnas\t# the NAS\r\n")) << hosts;
    EXPECT_EQ(helper.runs, 2);
}

// Deleting a system row is refused with the reason (a row gone all the same
// is the real helper's case in hosts_helper_namespace).
TEST_F(SystemLinesKeptTest, deletingTheLocalhostRow_isRefusedWithTheReason)
{
    startThroughHelper(stockDebianHosts("mybox"));
    ASSERT_EQ(state.store.hosts().at(0).HostName, "localhost");
    select(pageIndex(ListPage::Hosts), { 0, 1 });
    deleteSelectedRows(app);
    ASSERT_EQ(dialogs.askedTexts().size(), 1u);
    EXPECT_NE(dialogs.askedTexts().front().find("\"localhost\" cannot be sent to Trash"), std::string::npos);
    EXPECT_EQ(state.store.hosts().at(0).HostName, "localhost");
}

// Another computer's list: its localhost and own name are not this one's,
// and this computer's system lines stay.
TEST_F(SystemLinesKeptTest, importOfAnotherComputersList_keepsTheCurrentSystemLines)
{
    startThroughHelper(stockDebianHosts("mybox"));
    programDir.write("other.hst", "127.0.0.1 localhost  #Quillon|2020/01/01|00.00.00|1|0#\r\n"
                                  "10.1.1.1 mybox.lan  #Quillon|2020/01/01|00.00.00|1|0#\r\n"
                                  "8.8.8.8 dns.google  #Quillon|2020/01/01|00.00.00|1|3#\r\n");
    ASSERT_TRUE(importHostsList(app, programDir.file("other.hst")));
    EXPECT_EQ(helper.runs, 1) << asked();
    const std::string hosts = hostsDir.read("hosts");
    EXPECT_EQ(hosts.find("mybox.lan"), std::string::npos);
    EXPECT_NE(hosts.find("127.0.1.1\tmybox.home.arpa\tmybox\r\n"), std::string::npos);
    EXPECT_NE(hosts.find("8.8.8.8 dns.google"), std::string::npos);
    EXPECT_EQ(names(ListPage::Hosts).back(), "dns.google");
    addAndSave("example.com");
}

// A copy kept before the machine was renamed goes back with today's own
// name; the copy's other lines stay as they were.
TEST_F(SystemLinesKeptTest, restoreOriginal_afterARename_putsTheCurrentOwnNameBack)
{
    startThroughHelper(stockDebianHosts("oldbox") + "10.0.0.9 printer\n");
    hostsDir.write("hosts", stockDebianHosts("mybox")); // renamed since
    hostsDir.write("hosts.orig", stockDebianHosts("oldbox") + "10.0.0.9 printer\n");
    dialogs.answers = { Answer::Yes };
    ASSERT_TRUE(restoreHostsFile(app, KeptHostsCopy::Original)) << asked();
    EXPECT_EQ(hostsDir.read("hosts"), stockDebianHosts("mybox") + "10.0.0.9 printer\n");
    addAndSave("example.com");
}
