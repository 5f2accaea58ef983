#include "verify/VerificationRuns.h"

#include "fakes/AppFixture.h"

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

TEST_F(VerificationRunsTest, cancelDuringTheThirdOfFive_losesNoHost)
{
    resolver.resolveEverything = true;
    int repaints = 0;
    dialogs.onRepaint = [&] {
        if (++repaints == 5) // the third host's repaint, before its lookup
            state.cancel = true;
    };
    shell.page = 0;
    MenuVerifyVerifyHostsClick(app);
    // h1 and h2 resolved (h2 on top); h3, h4, h5 back as Verified on top.
    EXPECT_EQ(names(ListPage::Hosts), (Names { "h5", "h4", "h3", "h2", "h1" }));
    for (const auto& r : state.store.hosts())
        EXPECT_EQ(r->Status, StatusVerified);
    EXPECT_EQ(state.store.hosts().at(0).IP, "1.1.1.5"); // not looked up
    EXPECT_EQ(state.store.pendingChanges(), 5);
    EXPECT_EQ(resolver.lookups, (Names { "h1", "h2" }));
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
