#include "verify/Scheduler.h"

#include "fakes/AppFixture.h"

#include <gmock/gmock.h>

using namespace quillon;
using namespace quillon::core;
using namespace quillon::verify;
using namespace quillon::test;
using Names = std::vector<std::string>;

namespace {
class SchedulerTest : public AppFixture {
protected:
    void SetUp() override
    {
        clock.time = { 2024, 6, 15, 12, 0, 0, 0 };
        hostsDir.write("hosts", "1.1.1.1 old  #Quillon|2024/06/08|12.00.00|1|0#\r\n"   // exactly 7 days
                                "1.1.1.2 fresh  #Quillon|2024/06/08|12.00.01|1|0#\r\n" // a second less
                                "1.1.1.3 never\r\n");
        programDir.write("Quillon.d01", "0 w1\r\n");
        resolver.resolveEverything = true;
    }
    // The Wait list verified today: only the Hosts block has work.
    void writeSettingsQQDToday()
    {
        programDir.write("Quillon.ini", "[Settings]\r\nHostsFolder=" + hostsDir.path()
                                            + "\r\nQQDLastVerify=06/15/2024\r\n");
    }
};
} // namespace

TEST_F(SchedulerTest, questionText_oneOrMany)
{
    EXPECT_EQ(dueHostsQuestion(1, 7), "1 Host not verified since 7 or more days: verify now ?");
    EXPECT_EQ(dueHostsQuestion(3, 7), "3 Hosts not verified since 7 or more days: verify now ?");
}

TEST_F(SchedulerTest, hostsBlock_asksThenVerifiesOnlyTheDueEntries)
{
    writeSettingsQQDToday();
    startAndLoad();
    ASSERT_TRUE(state.hostsListDue);
    dialogs.answers = { Answer::Yes };
    TimerCheckTimer(app);
    EXPECT_EQ(dialogs.askedTexts(), (Names { "2 Hosts not verified since 7 or more days: verify now ?" }));
    EXPECT_EQ(dialogs.asked[0].kind, MessageKind::QuestionDefaultYes);
    EXPECT_THAT(resolver.lookups, testing::UnorderedElementsAre("old", "never"));
    EXPECT_EQ(state.store.hosts().at(2).HostName, "fresh");
    EXPECT_FALSE(state.hostsListDue);
    EXPECT_TRUE(shell.timers[Timer::Check]);
}

TEST_F(SchedulerTest, answerNo_clearsTheFlagAndAsksNoMore)
{
    writeSettingsQQDToday();
    startAndLoad();
    dialogs.answers = { Answer::No };
    TimerCheckTimer(app);
    TimerCheckTimer(app);
    EXPECT_EQ(dialogs.asked.size(), 1u);
    EXPECT_TRUE(resolver.lookups.empty());
}

TEST_F(SchedulerTest, noConnection_theFlagWaitsForIt)
{
    writeSettingsQQDToday();
    startAndLoad();
    connection.online = false;
    TimerCheckTimer(app);
    EXPECT_TRUE(state.hostsListDue);
    EXPECT_TRUE(dialogs.asked.empty());
    connection.online = true;
    dialogs.answers = { Answer::No };
    TimerCheckTimer(app);
    EXPECT_FALSE(state.hostsListDue);
}

TEST_F(SchedulerTest, waitBlock_firstStartAsksAndWritesTheDateOnlyWhenRun)
{
    programDir.write("Quillon.ini", "[Settings]\r\nHostsFolder=" + hostsDir.path() + "\r\nAutoVerifyHosts=0\r\n");
    startAndLoad();
    ASSERT_TRUE(state.waitListDue);
    dialogs.answers = { Answer::No };
    TimerCheckTimer(app);
    EXPECT_EQ(dialogs.askedTexts(), (Names { "Wait List not verified since 7 or more days: verify now ?" }));
    EXPECT_EQ(programDir.read("Quillon.ini").find("QQDLastVerify"), std::string::npos);

    startAndLoad();
    dialogs.answers = { Answer::Yes };
    TimerCheckTimer(app);
    EXPECT_EQ(resolver.lookups, (Names { "w1" }));
    EXPECT_NE(programDir.read("Quillon.ini").find("QQDLastVerify=06/15/2024 12:00:00"), std::string::npos);
    EXPECT_FALSE(state.waitListDue);
}

TEST_F(SchedulerTest, emptyWaitList_clearsTheFlagSilently)
{
    programDir.write("Quillon.d01", "");
    programDir.write("Quillon.ini", "[Settings]\r\nHostsFolder=" + hostsDir.path() + "\r\nAutoVerifyHosts=0\r\n");
    startAndLoad();
    TimerCheckTimer(app);
    EXPECT_TRUE(dialogs.asked.empty());
    EXPECT_FALSE(state.waitListDue);
    EXPECT_EQ(programDir.read("Quillon.ini").find("QQDLastVerify"), std::string::npos);
}

TEST_F(SchedulerTest, autoVerifyConfOff_runsWithoutAsking)
{
    programDir.write("Quillon.ini", "[Settings]\r\nHostsFolder=" + hostsDir.path() + "\r\nAutoVerifyConf=0\r\n");
    startAndLoad();
    TimerCheckTimer(app);
    EXPECT_TRUE(dialogs.asked.empty());
    EXPECT_THAT(resolver.lookups, testing::UnorderedElementsAre("old", "never", "w1"));
}

TEST_F(SchedulerTest, menuItem_allVerifiedOrRunNow)
{
    programDir.write("Quillon.ini", "[Settings]\r\nHostsFolder=" + hostsDir.path() + "\r\nAutoVerifyHosts=0\r\n"
                                        "QQDLastVerify=06/15/2024\r\n");
    startAndLoad();
    MenuVerifyAutoVerifyHostsClick(app);
    EXPECT_EQ(dialogs.askedTexts(), (Names { "All Hosts already verified." }));
    EXPECT_EQ(dialogs.asked[0].kind, MessageKind::Information);

    state.settings.AutoVerifyHosts = true;
    connection.online = false;
    dialogs.answers = { Answer::Yes }; // go on without a connection: the flag is set, the tick waits
    MenuVerifyAutoVerifyHostsClick(app);
    EXPECT_TRUE(state.hostsListDue);
    EXPECT_TRUE(resolver.lookups.empty());
    EXPECT_TRUE(shell.timers[Timer::Check]);
}
