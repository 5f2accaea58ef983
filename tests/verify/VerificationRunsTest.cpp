#include "verify/VerificationRuns.h"

#include "core/DueRule.h"
#include "core/EndingAwareDialogs.h"
#include "fakes/AppFixture.h"
#include "fakes/StockHosts.h"

#include <gmock/gmock.h>
#include "fakes/HostsFileResolver.h"

#include <cerrno>

using namespace quillon;
using namespace quillon::core;
using namespace quillon::verify;
using namespace quillon::test;
using Names = std::vector<std::string>;

namespace {

class VerificationRunsTest : public AppFixture {
protected:
    // Hosts h1..h5 (Saved, 1.1.1.N), Wait w1..w3.
    void SetUp() override
    {
        hostsDir.write("hosts", "1.1.1.1 h1\r\n1.1.1.2 h2\r\n1.1.1.3 h3\r\n1.1.1.4 h4\r\n1.1.1.5 h5\r\n");
        programDir.write("Quillon.d01", "0 w1\r\n0 w2\r\n0 w3\r\n");
        startAndLoad();
        clock.time = { 2024, 6, 15, 12, 0, 0, 0 };
    }
};

} // namespace

TEST_F(VerificationRunsTest, resolvedHosts_endOnTopInReverseOrderAsVerified)
{
    resolver.answer("h2", "2.2.2.2");
    resolver.answer("h4", "1.1.1.4"); // the address it had: still moved and counted
    select(0, { 1, 3 });
    MenuPopupVerifyClick(app);
    EXPECT_EQ(names(ListPage::Hosts), (Names { "h4", "h2", "h1", "h3", "h5" }));
    EXPECT_EQ(state.store.hosts().at(1).IP, "2.2.2.2");
    EXPECT_EQ(state.store.hosts().at(0).Status, StatusVerified);
    EXPECT_DOUBLE_EQ(state.store.hosts().at(0).Date, now(clock));
    EXPECT_EQ(state.store.pendingChanges(), 2);
    EXPECT_EQ(shell.lockCalls, (std::vector<std::string> { "lock", "unlock" }));
    EXPECT_GE(shell.hostCountShown, 1);
}

TEST_F(VerificationRunsTest, hostsOfAHostsRun_areOutOfTheHostsFileUntilTheNextSave)
{
    std::string fileDuringLookup;
    resolver.duringLookup = [&](const std::string&) { fileDuringLookup = hostsDir.read("hosts"); };
    resolver.answer("h1", "9.9.9.9");
    select(0, { 0 });
    MenuPopupVerifyClick(app);
    EXPECT_EQ(fileDuringLookup.find(" h1 "), std::string::npos);
    EXPECT_NE(fileDuringLookup.find(" h2 "), std::string::npos);
    EXPECT_EQ(hostsDir.read("hosts").find(" h1 "), std::string::npos); // nothing saved after the run
    EXPECT_EQ(state.store.hosts().at(1).Status, StatusSaved);          // the save marked the others
}

TEST_F(VerificationRunsTest, unresolved_waitKeepsAddressAndDate_deleteKeepsStatus)
{
    select(0, { 0, 1 });
    dialogs.promptSteps = { { 2 }, { 1 } }; // h1 Wait, h2 Delete
    MenuPopupVerifyClick(app);
    EXPECT_EQ(dialogs.promptVariants.front(), PromptVariant::Reverification);
    EXPECT_EQ(state.store.wait().at(0).HostName, "h1");
    EXPECT_EQ(state.store.wait().at(0).IP, "1.1.1.1");
    EXPECT_EQ(state.store.wait().at(0).Status, StatusWaiting);
    EXPECT_EQ(state.store.trash().at(0).HostName, "h2");
    EXPECT_EQ(state.store.trash().at(0).Status, StatusSaved); // saved before the run
    EXPECT_EQ(state.store.pendingChanges(), 0);
}

TEST_F(VerificationRunsTest, waitHostSentToTrash_hasStatusWaiting)
{
    select(1, { 2 });
    dialogs.promptSteps = { { 1 } };
    MenuPopupVerifyClick(app);
    EXPECT_EQ(state.store.trash().at(0).HostName, "w3");
    EXPECT_EQ(state.store.trash().at(0).Status, StatusWaiting);
}

TEST_F(VerificationRunsTest, rememberedAnswer_lastsOneRun)
{
    select(1, { 0, 1, 2 });
    dialogs.promptSteps = { { 2, true } }; // Wait, for all
    MenuPopupVerifyClick(app);
    EXPECT_EQ(dialogs.promptedHosts, (Names { "w1" }));
    EXPECT_EQ(names(ListPage::Wait), (Names { "w3", "w2", "w1" }));

    select(1, { 0 });
    dialogs.promptSteps = { { 2 } };
    MenuPopupVerifyClick(app); // asked again in a new run
    EXPECT_EQ(dialogs.promptedHosts.size(), 2u);
}

TEST_F(VerificationRunsTest, abortAnsweredNo_showsThePromptAgainForTheSameHost)
{
    select(1, { 0 });
    dialogs.promptSteps = { { 3 }, { 2 } };
    dialogs.answers = { Answer::No };
    MenuPopupVerifyClick(app);
    EXPECT_EQ(dialogs.promptedHosts, (Names { "w1", "w1" }));
    EXPECT_EQ(dialogs.askedTexts(), (Names { "Abort operation ?" }));
    EXPECT_EQ(state.store.wait().at(0).HostName, "w1");
}

TEST_F(VerificationRunsTest, cancelDuringTheThirdOfFive_losesNoHostAndSavesThemBackAtOnce)
{
    resolver.resolveEverything = true;
    int repaints = 0;
    dialogs.onRepaint = [&] {
        if (++repaints == 5) // the third host's repaint, before its lookup
            state.cancel = true;
    };
    shell.page = 0;
    MenuVerifyVerifyHostsClick(app);
    // h1 and h2 resolved (h2 on top); h3, h4, h5 back on top, all saved.
    EXPECT_EQ(names(ListPage::Hosts), (Names { "h5", "h4", "h3", "h2", "h1" }));
    for (const auto& r : state.store.hosts())
        EXPECT_EQ(r->Status, StatusSaved);
    // h3 to h5 may have been looked up ahead; those answers were dropped.
    for (std::size_t k = 0; k < 3; ++k)
        EXPECT_EQ(state.store.hosts().at(k).IP, "1.1.1." + std::to_string(5 - k));
    EXPECT_EQ(state.store.hosts().at(3).IP, "10.9.8.7");
    // Out of the hosts file for the run, they are in it again at once.
    for (const char* name : { " h1 ", " h2 ", " h3 ", " h4 ", " h5 " })
        EXPECT_NE(hostsDir.read("hosts").find(name), std::string::npos) << name;
    EXPECT_EQ(state.store.pendingChanges(), 0);
    EXPECT_EQ(dialogs.workActions.back(), "Aborting operation...");
    EXPECT_FALSE(dialogs.workPanelVisible());
    EXPECT_EQ(state.store.activeSize(), 8u);
}

TEST_F(VerificationRunsTest, abortFromThePrompt_putsTheRestBack)
{
    select(1, { 0, 1, 2 });
    dialogs.promptSteps = { { 2 }, { 3 } };
    dialogs.answers = { Answer::Yes };
    MenuPopupVerifyClick(app);
    EXPECT_EQ(names(ListPage::Wait), (Names { "w3", "w2", "w1" }));
    EXPECT_EQ(dialogs.promptedHosts, (Names { "w1", "w2" }));
    EXPECT_TRUE(state.cancel);
}

TEST_F(VerificationRunsTest, numericNames_disappear)
{
    state.store.insertTopOfWait(std::make_unique<TRecHost>(TRecHost { "10.1.2.3", "", "", 0, 0, 0, 0 }));
    select(1, { 0 });
    MenuPopupVerifyClick(app);
    EXPECT_EQ(state.store.activeIndexOf("10.1.2.3"), -1);
    EXPECT_EQ(state.store.trashIndexOf("10.1.2.3"), -1);
}

TEST_F(VerificationRunsTest, oneHost_noCountAndStraightToHundred)
{
    resolver.answer("w2", "5.5.5.5");
    select(1, { 1 });
    MenuPopupVerifyClick(app);
    for (const std::string& a : dialogs.workActions)
        EXPECT_EQ(a, "Verifying Host:");
    EXPECT_EQ(dialogs.workProgressSteps, (std::vector<int> { 100 }));
}

TEST_F(VerificationRunsTest, noConnection_answerNoTakesNothing)
{
    connection.online = false;
    dialogs.answers = { Answer::No };
    select(0, { 0 });
    MenuPopupVerifyClick(app);
    EXPECT_EQ(state.store.hosts().size(), 5u);
    EXPECT_TRUE(resolver.lookups.empty());
}

TEST_F(VerificationRunsTest, completeHostsList_onEmptyList_onlySwitchesThePage)
{
    state.store.clearActive();
    shell.page = 2;
    MenuVerifyVerifyHostsClick(app);
    EXPECT_EQ(shell.page, 0);
    EXPECT_TRUE(dialogs.asked.empty());
    EXPECT_EQ(dialogs.workShows, 0);
}

TEST_F(VerificationRunsTest, trashPage_isNeverVerified)
{
    state.store.insertTopOfTrash(std::make_unique<TRecHost>(TRecHost { "t", "", "", 0, 0, 1, 0 }));
    select(2, { 0 });
    MenuPopupVerifyClick(app);
    EXPECT_TRUE(resolver.lookups.empty());
    EXPECT_EQ(state.store.trash().size(), 1u);
}

// The system resolver answers from the hosts file first: a run over Hosts
// list hosts must never look one up while its old line is still there.
TEST_F(VerificationRunsTest, hostsRun_getsFreshAddressesNotItsOwnStaleLines)
{
    HostsFileResolver system(state.paths.hostsFile.hosts, resolver);
    App filesFirst { state, fs, clock, dialogs, shell, system, connection };
    resolver.answer("h1", "9.9.9.1");
    resolver.answer("h2", "9.9.9.2");
    select(0, { 0, 1 });
    MenuPopupVerifyClick(filesFirst);
    EXPECT_TRUE(system.answeredFromFile.empty());
    EXPECT_EQ(state.store.hosts().at(0).IP, "9.9.9.2");
    EXPECT_EQ(state.store.hosts().at(1).IP, "9.9.9.1");
}

TEST_F(VerificationRunsTest, failedSaveBeforeAHostsRun_putsTheHostsBackAndDoesNotRun)
{
    HostsFileResolver system(state.paths.hostsFile.hosts, resolver);
    App filesFirst { state, fs, clock, dialogs, shell, system, connection };
    resolver.answer("h2", "9.9.9.2");
    fs.fail(FaultyFileSystem::Op::Write, state.paths.hostsFile.tmp, EACCES);
    select(0, { 1, 3 });
    MenuPopupVerifyClick(filesFirst);
    EXPECT_TRUE(resolver.lookups.empty());
    EXPECT_TRUE(system.answeredFromFile.empty()); // no stale 1.1.1.2 taken for a fresh answer
    EXPECT_EQ(names(ListPage::Hosts), (Names { "h1", "h2", "h3", "h4", "h5" }));
    EXPECT_EQ(state.store.hosts().at(1).IP, "1.1.1.2");
    EXPECT_EQ(state.store.hosts().at(1).Status, StatusSaved);
    EXPECT_EQ(dialogs.askedTexts(),
              (Names { "Cannot create file \"" + state.paths.hostsFile.tmp + "\". Permission denied" }));
    EXPECT_EQ(dialogs.workShows, 0);
    EXPECT_EQ(shell.lockCalls, (std::vector<std::string> { "lock", "unlock" }));

    // Replaced before the Trash file failed to, the hosts file lacks them:
    // the next AutoSave puts them back.
    fs.clearFailures();
    fs.fail(FaultyFileSystem::Op::Rename, programDir.file("Quillon.d02"), EACCES);
    MenuPopupVerifyClick(filesFirst);
    EXPECT_EQ(names(ListPage::Hosts), (Names { "h1", "h2", "h3", "h4", "h5" }));
    EXPECT_EQ(state.store.pendingChanges(), 2);
}

// Entries someone set on purpose stay as written: the stock hosts file's
// lines (the own name at 127.0.1.1, IPv6 names), a blocklist's 0.0.0.0,
// multicast and broadcast, and the person's LAN lines the program never
// verified. An intranet host the program verified itself is ordinary.
TEST_F(VerificationRunsTest, completeHostsList_leavesEntriesSetOnPurposeAsWritten)
{
    hostsDir.write("hosts", stockDebianHosts(resolver.hostName)
                                + "0.0.0.0 ads.example\r\n1.1.1.1 h1\r\n10.9.9.9 vm\r\n192.168.1.20 nas printer\r\n"
                                  "10.1.1.1 intranet  #Quillon|2024/01/02|10.00.00|1|3#\r\n"
                                  "224.0.0.251 mdns.example\r\n255.255.255.255 broadcasthost\r\n");
    startAndLoad();
    EXPECT_TRUE(state.hostsListDue); // h1 was never verified
    std::string fileDuringLookup;
    resolver.duringLookup = [&](const std::string&) { fileDuringLookup = hostsDir.read("hosts"); };
    resolver.resolveEverything = true;
    MenuVerifyVerifyHostsClick(app);
    EXPECT_THAT(resolver.lookups, ::testing::UnorderedElementsAre("h1", "intranet")); // looked up ahead, in any order
    EXPECT_EQ(names(ListPage::Hosts),
              (Names { "intranet", "h1", "localhost", resolver.hostName + ".home.arpa", "localhost", "ip6-allnodes",
                       "ip6-allrouters", "ads.example", "vm", "nas", "mdns.example", "broadcasthost" }));
    for (const std::string& kept : Names { "127.0.0.1\tlocalhost\r\n",
                                           "127.0.1.1\t" + resolver.hostName + ".home.arpa\t" + resolver.hostName + "\r\n",
                                           "0.0.0.0 ads.example ", "::1     localhost ip6-localhost ip6-loopback\r\n",
                                           "ff02::1 ip6-allnodes\r\n", "10.9.9.9 vm ", "192.168.1.20 nas printer " })
        EXPECT_NE(fileDuringLookup.find(kept), std::string::npos) << kept;
    EXPECT_EQ(names(ListPage::Wait), (Names { "w1", "w2", "w3" }));
    EXPECT_TRUE(state.store.trash().empty());

    // Never verified, they are still never due.
    EXPECT_FALSE(HostsListDue(state.store, state.settings, now(clock), state.ownHostName));
    EXPECT_TRUE(dueHostRows(state.store, 7, now(clock), state.ownHostName).empty());
}

// A lookup cut short because the program is asked to end judges no host:
// the run stops there and puts that host and the rest back.
TEST_F(VerificationRunsTest, interruptedLookup_endsTheRunWithoutAskingAndLosesNoHost)
{
    resolver.answer("w1", "5.5.5.1");
    resolver.fail("w2", platform::ErrorInterrupted);
    select(1, { 0, 1, 2 });
    MenuPopupVerifyClick(app);
    EXPECT_TRUE(dialogs.promptedHosts.empty());
    // w3 may have been looked up ahead; its answer was dropped.
    EXPECT_THAT(resolver.lookups, testing::IsSupersetOf({ "w1", "w2" }));
    EXPECT_EQ(names(ListPage::Hosts).front(), "w1");
    EXPECT_EQ(names(ListPage::Wait), (Names { "w3", "w2" }));
}

// Asked to end during a run: no prompt or question is shown any more, and
// the run ends as Cancel would.
TEST_F(VerificationRunsTest, endingDuringARun_showsNothingMoreAndPutsTheHostsBack)
{
    EndingAwareDialogs guarded(dialogs, state, nullptr);
    App app2 { state, fs, clock, guarded, shell, resolver, connection };
    dialogs.promptSteps = { { 2 } };
    int shown = 0;
    shell.onProcessEvents = [&] {
        if (dialogs.workUrls.back() == "w2" && ++shown == 1) {
            state.ending = true; // the signal is seen at the second host
            state.cancel = true;
        }
    };
    select(1, { 0, 1, 2 });
    MenuPopupVerifyClick(app2);
    EXPECT_EQ(dialogs.promptedHosts, (Names { "w1" })); // w2's prompt was never shown
    EXPECT_TRUE(dialogs.asked.empty());
    EXPECT_EQ(names(ListPage::Wait), (Names { "w3", "w2", "w1" }));
    EXPECT_EQ(state.store.activeSize(), 8u);
}
