#include "capture/BrowserCapture.h"
#include "capture/BrowserWindows.h"
#include "capture/OpenInBrowser.h"
#include "capture/OpenWithLinuxBrowser.h"
#include "core/Interface.h"

#include "fakes/AppFixture.h"
#include "fakes/CaseName.h"
#include "fakes/FakeBrowsers.h"

#include <set>

using namespace quillon;
using namespace quillon::core;
using namespace quillon::capture;
using namespace quillon::test;
using Lines = std::vector<std::string>;

namespace {

struct TitleCase {
    const char* title;
    bool explorer;
    bool netscape;
};

void PrintTo(const TitleCase& c, std::ostream* os)
{
    *os << c.title;
}

class BrowserTitles : public ::testing::TestWithParam<TitleCase> {};

TEST_P(BrowserTitles, areKnownByTheirTitles)
{
    EXPECT_EQ(isExplorerTitle(GetParam().title), GetParam().explorer);
    EXPECT_EQ(isNetscapeTitle(GetParam().title), GetParam().netscape);
}

INSTANTIATE_TEST_SUITE_P(Titles, BrowserTitles,
                         ::testing::Values(TitleCase { "Welcome - Microsoft Internet Explorer", true, false },
                                           TitleCase { "Microsoft Internet Explorer", true, false },
                                           TitleCase { "x Microsoft Internet Explorer provided by y", true, false },
                                           TitleCase { "microsoft internet explorer", false, false },
                                           TitleCase { "Welcome - Netscape", false, true },
                                           TitleCase { "Netscape", false, true },
                                           TitleCase { "Netscape - Welcome", false, false },
                                           TitleCase { "Netscape news - Netscape", false, false },
                                           TitleCase { "Welcome - netscape", false, false }),
                         [](const auto& info) { return caseName(info.index, info.param.title); });

TEST(FindBrowserWindows, skipsHiddenOwnedAndChildWindowsAndCutsTitles)
{
    FakeWindows windows;
    windows.windows = {
        { 1, false, false, false, "Hidden - Microsoft Internet Explorer" },
        { 2, true, false, true, "Dialog - Microsoft Internet Explorer" },
        { 3, true, true, false, "Child - Netscape" },
        // "Netscape" would end the title only past its first 2047 bytes.
        { 4, true, false, false, std::string(2040, 'x') + "Netscape" },
    };
    BrowserWindowsFound found = FindBrowserWindows(windows);
    EXPECT_FALSE(found.ExplorerWindowFound);
    EXPECT_FALSE(found.NetscapeWindowFound);

    windows.windows.push_back({ 5, true, false, false, std::string(2039, 'x') + "Netscape" });
    found = FindBrowserWindows(windows);
    EXPECT_FALSE(found.ExplorerWindowFound);
    EXPECT_TRUE(found.NetscapeWindowFound);
}

class BrowserCaptureTest : public AppFixture {
protected:
    void SetUp() override
    {
        programDir.write("Quillon.d03", "ignored.example\r\n");
        startAndLoad();
        setInterfaceLock(app, true); // the ticks run while the interface is unlocked
        serve("iexplore", "\"http://user@ie.example:8080/page\",\"Page - Microsoft Internet Explorer\"");
        serve("netscape", "\"http://ns.example/\",\"Page - Netscape\"");
    }
    void serve(const std::string& service, const std::string& windowInfo)
    {
        browsers.dde.servers[service].reply = [windowInfo](const std::string& topic, const std::string& item) {
            return topic == "WWW_GetWindowInfo" && item == "0xFFFFFFFF" ? windowInfo : std::string();
        };
    }
    // A tick, and its lookups answered and applied at once.
    void tick()
    {
        TimerDDETimer(app, browsers.system, lookups);
        lookups.applyAnswers(app);
    }

    FakeBrowsers browsers;
    // The fixture's resolver answers each lookup at once.
    CaptureLookups lookups { std::shared_ptr<platform::AsyncResolver>(std::shared_ptr<void>(), &resolver) };
};

TEST_F(BrowserCaptureTest, asksOnlyTheBrowsersWithAWindowExplorerFirst)
{
    resolver.resolveEverything = true;
    browsers.windows.add("Page - Netscape");
    tick();
    EXPECT_EQ(browsers.dde.logged("connect"), Lines { "connect netscape WWW_GetWindowInfo" });
    EXPECT_EQ(names(ListPage::Hosts), Lines { "ns.example" });

    browsers.windows.add("Page - Microsoft Internet Explorer");
    browsers.dde.log.clear();
    tick();
    EXPECT_EQ(browsers.dde.logged("connect"),
              (Lines { "connect iexplore WWW_GetWindowInfo", "connect netscape WWW_GetWindowInfo" }));
    EXPECT_EQ(names(ListPage::Hosts), (Lines { "ie.example", "ns.example" }));
}

TEST_F(BrowserCaptureTest, settingsChooseTheBrowsersAndWhetherToResolve)
{
    browsers.windows.add("Page - Microsoft Internet Explorer");
    browsers.windows.add("Page - Netscape");
    state.settings.DDECaptureIExplore = false;
    state.settings.DDEVerify = false;
    resolver.resolveEverything = true;
    tick();
    EXPECT_EQ(browsers.dde.logged("connect"), Lines { "connect netscape WWW_GetWindowInfo" });
    EXPECT_EQ(names(ListPage::Wait), Lines { "ns.example" });
    EXPECT_TRUE(resolver.lookups.empty());

    // Resolving is on, but the connection test fails: the host still waits.
    state.settings.DDECaptureIExplore = true;
    state.settings.DDEVerify = true;
    state.settings.CheckOnLine = true;
    connection.online = false;
    tick();
    EXPECT_EQ(names(ListPage::Wait), (Lines { "ie.example", "ns.example" }));
    EXPECT_TRUE(resolver.lookups.empty());
}

TEST_F(BrowserCaptureTest, pagesThatGiveNoAdmissibleHostAddNothing)
{
    browsers.windows.add("Page - Microsoft Internet Explorer");
    resolver.resolveEverything = true;
    for (const char* reply : { "\"about:blank\",\"Blank\"", "\"file:///home/a.html\",\"a\"", "",
                               "\"http://two words.example/\",\"x\"", "\"http://ignored.example/\",\"x\"",
                               "\"http://ctl\x01.example/\",\"x\"" }) {
        serve("iexplore", reply);
        tick();
    }
    EXPECT_EQ(state.store.activeSize(), 0u);
}

TEST_F(BrowserCaptureTest, aPageShownForManyTicksCountsOnce)
{
    browsers.windows.add("Page - Microsoft Internet Explorer");
    resolver.answer("ie.example", "10.0.0.1");
    for (int i = 0; i < 5; ++i)
        tick();
    ASSERT_EQ(names(ListPage::Hosts), Lines { "ie.example" });
    EXPECT_EQ(state.store.hosts().at(0).Freq, 1);
    EXPECT_EQ(state.store.pendingChanges(), 1);
    EXPECT_TRUE(dialogs.asked.empty());
}

TEST_F(BrowserCaptureTest, aBrowserThatDoesNotAnswerContributesNothing)
{
    browsers.windows.add("Page - Microsoft Internet Explorer");
    browsers.dde.servers["iexplore"].running = false;
    tick();
    EXPECT_EQ(browsers.dde.logged("start"), Lines {}); // capture never starts a browser
    EXPECT_EQ(state.store.activeSize(), 0u);
}

class OpenInBrowserTest : public BrowserCaptureTest {
protected:
    void SetUp() override
    {
        hostsDir.write("hosts", "1.1.1.1 first.example\r\n1.1.1.2 second.example\r\n");
        programDir.write("Quillon.d02", "0 trashed.example\r\n");
        BrowserCaptureTest::SetUp();
        programDir.write("iexplore", "");
        browsers.registry.set(platform::RegistryRoot::LocalMachine,
                              "\\Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\IEXPLORE.EXE", "",
                              programDir.path() + "/iexplore");
    }
};

TEST_F(OpenInBrowserTest, bringsTheLastWindowForwardAndLoadsTheFirstSelectedHost)
{
    select(0, { 0, 1 });
    OpenSelectedHost(app, browsers.system, Browser::InternetExplorer);
    const std::string path = programDir.path() + "/iexplore";
    EXPECT_EQ(browsers.dde.log, (Lines { "connect iexplore WWW_Activate " + path,
                                         "request iexplore WWW_Activate 0xFFFFFFFF", "topic iexplore WWW_OpenURL",
                                         "request iexplore WWW_OpenURL first.example,,0xFFFFFFFF,0x3,,," }));
    EXPECT_TRUE(dialogs.asked.empty());
}

TEST_F(OpenInBrowserTest, startsABrowserThatIsNotRunningAndWorksFromTheTrash)
{
    const std::string path = programDir.path() + "/iexplore";
    browsers.dde.servers["iexplore"].running = false;
    browsers.dde.startable[path] = "iexplore";
    select(2, { 0 });
    OpenSelectedHost(app, browsers.system, Browser::InternetExplorer);
    EXPECT_EQ(browsers.dde.logged("start"), Lines { "start " + path });
    EXPECT_EQ(browsers.dde.logged("request").back(),
              "request iexplore WWW_OpenURL trashed.example,,0xFFFFFFFF,0x3,,,");
}

TEST_F(OpenInBrowserTest, aMissingBrowserIsReportedAndNoSelectionDoesNothing)
{
    select(0, {});
    OpenSelectedHost(app, browsers.system, Browser::InternetExplorer);
    EXPECT_TRUE(browsers.dde.log.empty());

    select(0, { 0 });
    OpenSelectedHost(app, browsers.system, Browser::NetscapeNavigator); // not registered
    browsers.registry.set(platform::RegistryRoot::LocalMachine,
                          "\\Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\IEXPLORE.EXE", "",
                          programDir.path() + "/gone");
    OpenSelectedHost(app, browsers.system, Browser::InternetExplorer); // registered, but no such file
    EXPECT_EQ(dialogs.askedTexts(), (Lines { "Netscape Navigator not found.", "Internet Explorer not found." }));
    EXPECT_TRUE(browsers.dde.log.empty());
}

class RecordingPrograms final : public platform::Programs {
public:
    std::set<std::string> installed;
    Lines started;
    std::string find(const std::vector<std::string>& names) override
    {
        for (const std::string& n : names)
            if (installed.count(n))
                return "/usr/bin/" + n;
        return {};
    }
    bool start(const std::string& program, const std::vector<std::string>& arguments) override
    {
        started.push_back(program + " " + arguments.at(0));
        return true;
    }
};

TEST_F(OpenInBrowserTest, theLinuxBrowsersOpenTheHostOverHttp)
{
    RecordingPrograms programs;
    programs.installed = { "firefox-esr", "brave-browser" };
    Lines openedByDesktop;
    LinuxBrowserLauncher launcher { programs, findInstalledBrowsers(programs), [&](const std::string& url) {
                                       openedByDesktop.push_back(url);
                                       return true;
                                   } };
    select(0, { 1 });
    OpenSelectedHostWith(app, launcher, LinuxBrowser::Default);
    OpenSelectedHostWith(app, launcher, LinuxBrowser::Firefox);
    OpenSelectedHostWith(app, launcher, LinuxBrowser::Chromium);
    EXPECT_EQ(openedByDesktop, Lines { "http://second.example" });
    EXPECT_EQ(programs.started,
              (Lines { "/usr/bin/firefox-esr http://second.example", "/usr/bin/brave-browser http://second.example" }));

    launcher.installed.firefox.clear();
    launcher.openDefault = [](const std::string&) { return false; };
    OpenSelectedHostWith(app, launcher, LinuxBrowser::Firefox);
    OpenSelectedHostWith(app, launcher, LinuxBrowser::Default);
    EXPECT_EQ(dialogs.askedTexts(), (Lines { "Firefox not found.", "Default browser not found." }));
}

} // namespace
