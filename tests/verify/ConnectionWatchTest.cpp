#include "verify/TWinshoeIPWatch.h"

#include "fakes/AppFixture.h"

using namespace quillon;
using namespace quillon::verify;
using namespace quillon::test;

namespace {

class ConnectionWatchTest : public AppFixture {
protected:
    void connectAs(std::vector<platform::IPv4> addresses)
    {
        resolver.names[resolver.hostName] = { std::move(addresses), platform::ErrorHostNotFound };
    }
    std::string history() const { return programDir.file("iphist.dat"); }
};

} // namespace

TEST_F(ConnectionWatchTest, loopbackOnly_isOffline_lastAddressCounts)
{
    TWinshoeIPWatch watch(resolver, fs, history());
    connectAs({ { 127, 0, 1, 1 } });
    watch.poll();
    EXPECT_FALSE(watch.IsOnline());
    connectAs({ { 10, 0, 0, 1 }, { 192, 168, 1, 9 } });
    int changes = 0;
    watch.OnStatusChanged = [&] { ++changes; };
    watch.poll();
    EXPECT_TRUE(watch.IsOnline());
    EXPECT_EQ(watch.CurrentIP(), "192.168.1.9");
    watch.poll();
    EXPECT_EQ(changes, 1); // only changes of the online state are reported
}

TEST_F(ConnectionWatchTest, goingOffline_addsTheAddressOnce)
{
    TWinshoeIPWatch watch(resolver, fs, history());
    for (int i = 0; i < 3; ++i) {
        connectAs({ { 10, 0, 0, 1 } });
        watch.poll();
        connectAs({});
        watch.poll();
    }
    EXPECT_EQ(watch.history(), (std::vector<std::string> { "10.0.0.1" }));
    EXPECT_EQ(watch.PreviousIP(), "10.0.0.1");
}

TEST_F(ConnectionWatchTest, history_keepsTheNewest25_andSurvivesARestart)
{
    {
        TWinshoeIPWatch watch(resolver, fs, history());
        for (int i = 1; i <= 26; ++i) {
            connectAs({ { 10, 0, 0, static_cast<std::uint8_t>(i) } });
            watch.poll();
            connectAs({});
            watch.poll();
        }
        EXPECT_EQ(watch.history().size(), 25u);
        EXPECT_EQ(watch.history().front(), "10.0.0.2");
    }
    EXPECT_EQ(programDir.read("iphist.dat").substr(0, 10), "10.0.0.2\r\n");
    TWinshoeIPWatch again(resolver, fs, history());
    EXPECT_EQ(again.history().size(), 25u);
    EXPECT_EQ(again.PreviousIP(), "10.0.0.26");
}

TEST_F(ConnectionWatchTest, firstConnectionWithTheLastAddress_takesItOffTheHistory)
{
    programDir.write("iphist.dat", "10.0.0.1\r\n10.0.0.2\r\n");
    TWinshoeIPWatch watch(resolver, fs, history());
    EXPECT_EQ(watch.PreviousIP(), "10.0.0.2");
    connectAs({ { 10, 0, 0, 2 } });
    watch.poll();
    EXPECT_EQ(watch.history(), (std::vector<std::string> { "10.0.0.1" }));
    EXPECT_EQ(watch.PreviousIP(), "10.0.0.1");
}

TEST_F(ConnectionWatchTest, exitWhileOnline_keepsTheCurrentAddress)
{
    {
        TWinshoeIPWatch watch(resolver, fs, history());
        connectAs({ { 10, 1, 1, 1 } });
        watch.poll();
    }
    EXPECT_EQ(programDir.read("iphist.dat"), "10.1.1.1\r\n");
}

TEST_F(ConnectionWatchTest, statusPanels_followTheState)
{
    TWinshoeIPWatch watch(resolver, fs, history());
    resolver.reverse["10.0.0.1"] = "me.example";
    connectAs({ { 10, 0, 0, 1 } });
    watch.poll();
    WinshoeIPWatch1StatusChanged(app, watch);
    EXPECT_EQ(shell.panels[1], "Current Host: me.example");
    EXPECT_EQ(shell.panels[2], "Current IP: 10.0.0.1");

    // An address without a name record (most home networks): the address
    // shows, the name is empty.
    resolver.reverse.clear();
    resolver.reverseErrors["10.0.0.1"] = platform::ErrorNoData;
    WinshoeIPWatch1StatusChanged(app, watch);
    EXPECT_EQ(shell.panels[1], "Current Host: ");
    EXPECT_EQ(shell.panels[2], "Current IP: 10.0.0.1");

    resolver.reverseErrors["10.0.0.1"] = platform::ErrorNoRecovery; // a failing reverse lookup changes nothing
    shell.panels.clear();
    WinshoeIPWatch1StatusChanged(app, watch);
    EXPECT_TRUE(shell.panels.empty());

    connectAs({ { 127, 0, 0, 1 } });
    watch.poll();
    WinshoeIPWatch1StatusChanged(app, watch);
    EXPECT_EQ(shell.panels[1], "Current Host: (not available)");
    EXPECT_EQ(shell.panels[2], "Current IP: (not available)");
}

// The window's timer must not outlive the watch it polls: a watch that goes
// away switches it off. (The window's lock switching it is tested there.)
TEST_F(ConnectionWatchTest, destroyedWatch_switchesItsTimerOff)
{
    std::vector<std::pair<bool, int>> calls; // outlives the watch that reports to it
    {
        TWinshoeIPWatch watch(resolver, fs, history());
        watch.setTimerSwitch([&](bool on, int ms) { calls.emplace_back(on, ms); });
        ASSERT_EQ(calls.back(), std::make_pair(true, 1000));
    }
    EXPECT_EQ(calls.back(), std::make_pair(false, 1000));
}

TEST_F(ConnectionWatchTest, connectionTest_checkOnLineOffMeansConnected)
{
    start();
    connection.online = false;
    EXPECT_FALSE(IsConnectionDetected(app));
    dialogs.answers = { core::Answer::No };
    EXPECT_FALSE(connectionOrConsent(app));
    EXPECT_EQ(dialogs.asked.back().text, "WARNING!!! Connection not detected: continue anyway ?");
    EXPECT_EQ(dialogs.asked.back().kind, core::MessageKind::QuestionDefaultNo);
    state.settings.CheckOnLine = false;
    EXPECT_TRUE(IsConnectionDetected(app));
    EXPECT_TRUE(connectionOrConsent(app));
    EXPECT_EQ(dialogs.asked.size(), 1u);
}
