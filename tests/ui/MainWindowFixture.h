#pragma once
// A main window over fresh temporary folders: the program folder (settings,
// list files) and the hosts folder, with a scripted person and a set clock.

#include "fakes/FakeBrowsers.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeDnsQuery.h"
#include "fakes/FakeResolver.h"
#include "fakes/FakeRouteAddress.h"
#include "fakes/FaultyFileSystem.h"
#include "fakes/RecordingUrlOpener.h"
#include "fakes/ScriptedDialogs.h"
#include "fakes/TempDir.h"
#include "platform/linux/XdgAutostart.h"
#include "ui/TFormMain.h"
#include "ui/TrayIcon.h"

#include <QTest>

#include <memory>
#include <vector>

namespace quillon::test {

class MainWindowFixture {
public:
    MainWindowFixture()
    {
        dialogs.reportUnexpected = [](const std::string& what) { QTest::qFail(what.c_str(), __FILE__, __LINE__); };
    }
    // Writes Quillon.ini with HostsFolder and the given extra lines.
    void writeSettings(const std::string& extra = "StartSplash=0\r\n")
    {
        programDir.write("Quillon.ini", "[Settings]\r\nHostsFolder=" + hostsDir.path() + "\r\n" + extra);
    }
    // Builds the window (tray available or not) and runs its start-up. With
    // realDialogs the person meets the window's own dialogs, not the script.
    ui::TFormMain& start(bool trayAvailable = true, bool realDialogs = false)
    {
        ui::MainWindowEnvironment env { fs, clock, resolver, desktop ? *desktop : browsers.system, core::foldersBeside(programDir.folder()), {}, realDialogs ? nullptr : &dialogs,
                                        [this](int ms) { sleeps.push_back(ms); }, histories };
        env.opener = &opener;
        env.routeAddress = &routeAddress;
        env.autostart = &autostart;
        env.dns = dns;
        env.lookups = lookups ? lookups : std::shared_ptr<platform::AsyncResolver>(sharedResolver);
        window = std::make_unique<ui::TFormMain>(env);
        window->tray()->setAvailableForTesting(trayAvailable);
        window->start();
        return *window;
    }

    TempDir programDir;
    TempDir hostsDir;
    FaultyFileSystem fs;
    FakeClock clock;
    // Also the window's resolver of many names at once (answering each at
    // once), shared with answers that may outlive the window.
    std::shared_ptr<FakeResolver> sharedResolver = std::make_shared<FakeResolver>();
    FakeResolver& resolver = *sharedResolver;
    // Runs and the captures' lookups ask this one instead, when set.
    std::shared_ptr<platform::AsyncResolver> lookups;
    // The name servers of fresh answers: no answer unless a test sets one;
    // never the real ones (the window checks aged entries by itself).
    std::shared_ptr<FakeDnsQuery> dns = std::make_shared<FakeDnsQuery>();
    FakeBrowsers browsers;
    // The computer's address: offline unless a test connects it.
    FakeRouteAddress routeAddress;
    // The Linux browsers' profiles the window follows; none unless set.
    capture::BrowserHistories histories;
    // The real desktop's browser side instead of the doubles, when set.
    capture::BrowserSystem* desktop = nullptr;
    ScriptedDialogs dialogs;
    // The pages handed to the desktop, and a log-on entry of the test's own.
    RecordingUrlOpener opener;
    platform::XdgAutostart autostart { fs, programDir.path() + "/autostart/quillon.desktop" };
    std::vector<int> sleeps;
    std::unique_ptr<ui::TFormMain> window;
};

} // namespace quillon::test
