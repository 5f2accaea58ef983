#include "verify/TWinshoeIPWatch.h"

#include "fakes/AppFixture.h"
#include "fakes/FakeRouteAddress.h"
#include "platform/linux/KernelRouteAddress.h"

#include <cstdlib>
#include <functional>
#include <sched.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace quillon;
using namespace quillon::verify;
using namespace quillon::test;

namespace {

class ConnectionWatchTest : public AppFixture {
protected:
    void connectAs(std::string address) { route.address = std::move(address); }
    std::string history() const { return programDir.file("iphist.dat"); }
    FakeRouteAddress route;
};

} // namespace

TEST_F(ConnectionWatchTest, loopbackOrNone_isOffline)
{
    TWinshoeIPWatch watch(route, fs, history());
    connectAs("127.0.1.1");
    watch.poll();
    EXPECT_FALSE(watch.IsOnline());
    connectAs("");
    watch.poll();
    EXPECT_FALSE(watch.IsOnline());
    connectAs("192.168.1.9");
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
    TWinshoeIPWatch watch(route, fs, history());
    for (int i = 0; i < 3; ++i) {
        connectAs("10.0.0.1");
        watch.poll();
        connectAs("");
        watch.poll();
    }
    EXPECT_EQ(watch.history(), (std::vector<std::string> { "10.0.0.1" }));
    EXPECT_EQ(watch.PreviousIP(), "10.0.0.1");
}

TEST_F(ConnectionWatchTest, history_keepsTheNewest25_andSurvivesARestart)
{
    {
        TWinshoeIPWatch watch(route, fs, history());
        for (int i = 1; i <= 26; ++i) {
            connectAs("10.0.0." + std::to_string(i));
            watch.poll();
            connectAs("");
            watch.poll();
        }
        EXPECT_EQ(watch.history().size(), 25u);
        EXPECT_EQ(watch.history().front(), "10.0.0.2");
    }
    EXPECT_EQ(programDir.read("iphist.dat").substr(0, 10), "10.0.0.2\r\n");
    TWinshoeIPWatch again(route, fs, history());
    EXPECT_EQ(again.history().size(), 25u);
    EXPECT_EQ(again.PreviousIP(), "10.0.0.26");
}

TEST_F(ConnectionWatchTest, firstConnectionWithTheLastAddress_takesItOffTheHistory)
{
    programDir.write("iphist.dat", "10.0.0.1\r\n10.0.0.2\r\n");
    TWinshoeIPWatch watch(route, fs, history());
    EXPECT_EQ(watch.PreviousIP(), "10.0.0.2");
    connectAs("10.0.0.2");
    watch.poll();
    EXPECT_EQ(watch.history(), (std::vector<std::string> { "10.0.0.1" }));
    EXPECT_EQ(watch.PreviousIP(), "10.0.0.1");
}

TEST_F(ConnectionWatchTest, exitWhileOnline_keepsTheCurrentAddress)
{
    {
        TWinshoeIPWatch watch(route, fs, history());
        connectAs("10.1.1.1");
        watch.poll();
    }
    EXPECT_EQ(programDir.read("iphist.dat"), "10.1.1.1\r\n");
}

TEST_F(ConnectionWatchTest, statusPanels_followTheState)
{
    TWinshoeIPWatch watch(route, fs, history());
    resolver.reverse["10.0.0.1"] = "me.example";
    connectAs("10.0.0.1");
    watch.poll();
    WinshoeIPWatch1StatusChanged(app, watch);
    EXPECT_EQ(shell.panels[1], "Current Host: me.example");
    EXPECT_EQ(shell.panels[2], "Current IP: 10.0.0.1");

    // An address without a name record (most home networks), or whose
    // reverse lookup fails: the address still shows, the name does not.
    resolver.reverse.clear();
    for (const int error : { platform::ErrorNoData, platform::ErrorHostNotFound, platform::ErrorNoRecovery }) {
        resolver.reverseErrors["10.0.0.1"] = error;
        shell.panels.clear();
        WinshoeIPWatch1StatusChanged(app, watch);
        EXPECT_EQ(shell.panels[1], "Current Host: (not available)") << error;
        EXPECT_EQ(shell.panels[2], "Current IP: 10.0.0.1") << error;
    }

    connectAs("127.0.0.1");
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
        TWinshoeIPWatch watch(route, fs, history());
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

namespace {

// Runs piece in a child process inside a network namespace of its own (as
// the kernel makes it: loopback only, down); its result comes back as the
// exit status, or 77 where no namespace can be made.
int inOwnNetwork(const std::function<int()>& piece)
{
    const pid_t child = ::fork();
    if (child == 0) {
        if (::unshare(CLONE_NEWNET) != 0)
            std::_Exit(77);
        std::_Exit(piece());
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 255;
}

// Runs the ip commands, then reads the address; 99 when a command failed.
int afterCommands(const char* script);

// The address the kernel reads, as one exit status: 0 none, 1 loopback,
// 2 the veth's 192.168.77.2, 3 anything else.
int addressKind()
{
    const std::string a = platform::KernelRouteAddress().sourceAddress();
    return a.empty() ? 0 : a.rfind("127.", 0) == 0 ? 1 : a == "192.168.77.2" ? 2 : 3;
}

int afterCommands(const char* script)
{
    if (std::system((std::string("exec >/dev/null 2>&1; ") + script).c_str()) != 0)
        return 99;
    return addressKind();
}

} // namespace

// The real kernel's routing, in network namespaces as a machine has them:
// no default route is offline, also with loopback up or routed; a veth with
// an address and a default route is online at that address.
TEST(KernelRouteAddress, followsTheDefaultRoute)
{
    if (inOwnNetwork([] { return 0; }) == 77)
        GTEST_SKIP() << "no network namespace can be made here";
    EXPECT_EQ(inOwnNetwork(addressKind), 0);
    EXPECT_EQ(inOwnNetwork([] { return afterCommands("ip link set lo up"); }), 0);
    // Through loopback: no address, or a loopback one; offline either way.
    EXPECT_LE(inOwnNetwork([] { return afterCommands("ip link set lo up && ip route add default dev lo"); }), 1);
    EXPECT_EQ(inOwnNetwork([] {
                  return afterCommands("ip link add q0 type veth peer name q1 && ip addr add 192.168.77.2/24 dev q0 && "
                                       "ip link set q0 up && ip link set q1 up && ip route add default via 192.168.77.1");
              }),
              2);
}
