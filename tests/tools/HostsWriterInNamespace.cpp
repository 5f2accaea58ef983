// The program's side of the hosts helper with the real helper, run by
// hosts_helper_namespace.sh inside a mount namespace whose /etc is a
// temporary copy (marked by /etc/quillon-namespace-test). A script stands in
// for pkexec and runs the helper directly.

#include "core/HostsFrame.h"
#include "core/HostsRestore.h"
#include "core/ListFile.h"
#include "core/SaveAll.h"
#include "core/Startup.h"

#include "fakes/AppFixture.h"
#include "fakes/StockHosts.h"
#include "platform/linux/PkexecHostsWriter.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

using namespace quillon::core;
using namespace quillon::test;
using quillon::platform::HostsWriteResult;
using quillon::platform::PkexecHostsWriter;

namespace {

const std::string Line = "1.2.3.4 a  #Quillon|2001/03/05|14.07.09|1|0#\r\n";

std::string framed(const std::string& text)
{
    return HostsFrame::of(text).header() + "\n" + text;
}

class HostsWriterInNamespace : public AppFixture {
protected:
    void SetUp() override
    {
        // Anywhere else this would write the real /etc/hosts.
        ASSERT_TRUE(std::filesystem::exists("/etc/quillon-namespace-test"));
        tools.write("pkexec", "#!/bin/sh\nexec \"$@\"\n");
        std::filesystem::permissions(tools.file("pkexec"), std::filesystem::perms::owner_all);
        // A hosts file without system lines: the texts below need keep none.
        std::ofstream("/etc/hosts", std::ios::binary | std::ios::trunc) << "# mine\n";
        TempDir::readFile("/etc/hosts").swap(before);
    }
    TempDir tools;
    PkexecHostsWriter writer { tools.file("pkexec"), QUILLON_HOSTS_HELPER };
    std::string before;
};

} // namespace

TEST_F(HostsWriterInNamespace, goodText_isWritten)
{
    const HostsWriteResult r = writer.write(framed(Line));
    EXPECT_TRUE(r.ok()) << r.message;
    EXPECT_EQ(TempDir::readFile("/etc/hosts"), Line);
}

TEST_F(HostsWriterInNamespace, refusedText_givesTheHelpersReason)
{
    const HostsWriteResult r = writer.write(framed(Line + "# not in the current file\r\n"));
    EXPECT_EQ(r.kind, HostsWriteResult::Kind::Failed);
    EXPECT_EQ(r.message, "The new hosts file was refused: line 2 is not a host line that Quillon writes.");
    EXPECT_EQ(TempDir::readFile("/etc/hosts"), before);
}

TEST_F(HostsWriterInNamespace, save_writesEtcHostsThroughTheHelper)
{
    startAndLoad();
    state.paths.hostsFile = hostsFilePaths("/etc");
    state.hostsThroughHelper = true;
    app.hostsWriter = &writer;
    auto r = std::make_unique<TRecHost>();
    r->HostName = "saved.example";
    r->IP = "5.6.7.8";
    r->Status = StatusVerified;
    state.store.insertTopOfHosts(std::move(r));

    ASSERT_TRUE(saveAll(app)) << (dialogs.asked.empty() ? "" : dialogs.asked[0].text);
    EXPECT_EQ(TempDir::readFile("/etc/hosts"), "# mine\r\n5.6.7.8 saved.example  #Quillon|1899/12/30|00.00.00|1|0#\r\n");
    EXPECT_EQ(TempDir::readFile("/etc/hosts.bak"), before);
    EXPECT_EQ(state.ownHostsStamp, fs.stamp("/etc/hosts"));
    EXPECT_EQ(state.store.hosts().at(0).Status, StatusSaved);
    EXPECT_NE(programDir.read("Quillon.d04").find("\t+\tsaved.example\t5.6.7.8\r\n"), std::string::npos);

    // And back, through the helper too.
    dialogs.answers = { Answer::Yes };
    ASSERT_TRUE(restoreHostsFile(app, KeptHostsCopy::Previous)) << dialogs.askedTexts().back();
    EXPECT_EQ(TempDir::readFile("/etc/hosts"), before);
    EXPECT_TRUE(state.store.hosts().empty());
}

// The stock file with the machine's own name on a second line, then without
// the localhost row: the real helper takes every save, and the system's
// lines stay as the system wrote them.
TEST_F(HostsWriterInNamespace, stockFile_ownNameTwice_localhostRowGone_savesGoOn)
{
    char name[256] = {};
    ASSERT_EQ(::gethostname(name, sizeof name - 1), 0);
    const std::string system = stockDebianHosts(name) + "192.168.1.5\t" + name + "\n";
    std::ofstream("/etc/hosts", std::ios::binary | std::ios::trunc) << system;
    resolver.hostName = name;
    startAndLoad();
    state.paths.hostsFile = hostsFilePaths("/etc");
    state.hostsThroughHelper = true;
    app.hostsWriter = &writer;
    loadLists(app);
    for (const char* host : { "one.example", "two.example" }) {
        auto r = std::make_unique<TRecHost>();
        r->HostName = host;
        r->IP = "5.6.7.8";
        r->Status = StatusVerified;
        state.store.insertTopOfHosts(std::move(r));
        ASSERT_TRUE(saveAll(app)) << (dialogs.asked.empty() ? "" : dialogs.asked[0].text);
        // Gone from the list (an older version's), the row is still no
        // reason for a refusal.
        if (const int row = state.store.activeIndexOf("localhost"); row >= 0)
            state.store.hosts().take(static_cast<std::size_t>(row));
    }
    std::string expected;
    forEachLine(system, [&](std::string_view line) { expected.append(line).append("\r\n"); });
    EXPECT_TRUE(TempDir::readFile("/etc/hosts").starts_with(expected + "5.6.7.8 two.example "))
        << TempDir::readFile("/etc/hosts");
}
