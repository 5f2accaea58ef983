// Capture and the browser commands from end to end, as a person meets them:
// the program's main window beside stand-in browsers (browser-sim) on a
// private X server with a window manager, over the real DDE socket protocol,
// X11 window list, registry store and visited-page history, in folders of
// the test's own. Only name resolution is scripted.

#include "app/DesktopBrowsers.h"
#include "capture/BrowserCapture.h"
#include "capture/BrowserWindows.h"
#include "ui/MainMenu.h"
#include "ui/MainWindowFixture.h"

#include <QAction>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <csignal>
#include <fstream>
#include <memory>

using namespace quillon;
using namespace quillon::test;

namespace {

const QString BrowserSim = QStringLiteral(QUILLON_BROWSER_SIM);
const std::string AppPaths = "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";

std::vector<std::string> hostNames(const core::HostSequence& list)
{
    std::vector<std::string> out;
    for (std::size_t i = 0; i < list.size(); ++i)
        out.push_back(list.at(i).HostName);
    return out;
}

bool holds(const std::vector<std::string>& names, const std::string& name)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

QString readText(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

} // namespace

class tst_BrowserCapture : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_xdg;
    std::vector<std::unique_ptr<QProcess>> m_browsers;
    QString folder(const char* name) const { return m_xdg.path() + QLatin1Char('/') + QLatin1String(name); }
    QString logOf(const char* role) const { return folder("state") + QStringLiteral("/browser-sim/%1.log").arg(QLatin1String(role)); }

    // A stand-in browser with its window shown and its service answering.
    void startBrowser(const char* role, const QString& url, const QStringList& extra = {})
    {
        auto p = std::make_unique<QProcess>();
        p->setProcessChannelMode(QProcess::ForwardedChannels);
        p->start(BrowserSim, QStringList { QStringLiteral("--as"), QLatin1String(role), QStringLiteral("--url"), url } + extra);
        QVERIFY(p->waitForStarted(5000));
        platform::SocketDdeClient client(200);
        QTRY_VERIFY_WITH_TIMEOUT(client.connect(role, "WWW_Activate") != nullptr, 10000);
        m_browsers.push_back(std::move(p));
    }
    void stopBrowsers()
    {
        for (auto& p : m_browsers) {
            p->terminate();
            if (!p->waitForFinished(5000))
                p->kill();
        }
        m_browsers.clear();
    }
    void writeRegistry(const std::string& text)
    {
        std::ofstream(folder("config").toStdString() + "/quillon/registry.ini") << text;
    }
    // A program path that starts the stand-in as role and notes its process,
    // so that the test can end what the program started.
    std::string launcher(const char* role)
    {
        const QString path = folder("config") + QStringLiteral("/%1-launcher").arg(QLatin1String(role));
        std::ofstream(path.toStdString()) << "#!/bin/sh\necho $$ >\"$0.pid\"\nexec '" << BrowserSim.toStdString()
                                          << "' --as " << role << "\n";
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path.toStdString();
    }
    void stopLaunched(const std::string& launcherPath)
    {
        bool ok = false;
        const int pid = readText(QString::fromStdString(launcherPath + ".pid")).trimmed().toInt(&ok);
        if (!ok || pid <= 0)
            return;
        ::kill(pid, SIGTERM);
        // The next test starts its own browser of that role: this one must
        // be gone, its service with it.
        QTRY_VERIFY_WITH_TIMEOUT(::kill(pid, 0) != 0, 10000);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_xdg.isValid());
        for (const char* sub : { "runtime", "data", "state", "config/quillon" })
            QVERIFY(QDir().mkpath(folder(sub)));
        QFile::setPermissions(folder("runtime"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", folder("runtime").toLocal8Bit());
        qputenv("XDG_DATA_HOME", folder("data").toLocal8Bit());
        qputenv("XDG_STATE_HOME", folder("state").toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", folder("config").toLocal8Bit());
    }
    void cleanup() { stopBrowsers(); }

    void captureFillsTheListsFromBothBrowsers()
    {
        startBrowser("iexplore", QStringLiteral("http://ie-first.example/index.html"));
        startBrowser("netscape", QStringLiteral("http://ns-first.example/"));
        platform::PosixFileSystem realFs;
        app::DesktopBrowsers desktop(realFs);

        // The window list sees both browsers by their titles.
        QTRY_VERIFY_WITH_TIMEOUT(capture::FindBrowserWindows(desktop.windows).ExplorerWindowFound
                                     && capture::FindBrowserWindows(desktop.windows).NetscapeWindowFound,
                                 10000);

        MainWindowFixture f;
        f.writeSettings("StartSplash=0\r\nDDETimerInterval=100\r\nCheckOnLine=0\r\n");
        f.resolver.resolveEverything = true;
        f.desktop = &desktop.system;
        ui::TFormMain& w = f.start();
        QCOMPARE(w.timer(core::Timer::DDE)->interval(), 100);
        QTRY_VERIFY_WITH_TIMEOUT(holds(hostNames(w.state().store.hosts()), "ie-first.example")
                                     && holds(hostNames(w.state().store.hosts()), "ns-first.example"),
                                 10000);

        // The person goes to another page; the next ticks take its host.
        auto ie = desktop.dde.connect("iexplore", "WWW_OpenURL");
        QVERIFY(ie);
        ie->request("http://ie-second.example/a/b.html,,0xFFFFFFFF,0x0,,,");
        QTRY_VERIFY_WITH_TIMEOUT(holds(hostNames(w.state().store.hosts()), "ie-second.example"), 10000);
        // Shown for many ticks, each host was counted once.
        for (std::size_t i = 0; i < w.state().store.hosts().size(); ++i)
            QCOMPARE(w.state().store.hosts().at(i).Freq, 1);
        QVERIFY(f.dialogs.asked.empty());
        QVERIFY(readText(logOf("iexplore")).contains(QStringLiteral("WWW_GetWindowInfo\t0xFFFFFFFF")));
    }

    void importsAndOpeningFromTheMenus()
    {
        QFile::remove(folder("data") + QStringLiteral("/quillon/url-cache"));
        startBrowser("netscape", QStringLiteral("http://ns-cached.example/start"));
        platform::PosixFileSystem realFs;
        app::DesktopBrowsers desktop(realFs);
        const std::string ieLauncher = launcher("iexplore");
        const std::string nsLauncher = launcher("netscape");
        writeRegistry("[" + AppPaths + "IEXPLORE.EXE]\n@=" + ieLauncher + "\n[" + AppPaths + "Netscape.exe]\n@="
                      + nsLauncher
                      + "\n[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders]\n"
                        "Favorites="
                      + std::string(QUILLON_TEST_DATA) + "/url\n");

        MainWindowFixture f;
        // No capture meanwhile: what enters the lists comes from the commands.
        f.writeSettings("StartSplash=0\r\nDDECaptureIExplore=0\r\nDDECaptureNetscape=0\r\nCheckOnLine=0\r\n");
        f.resolver.resolveEverything = true;
        f.desktop = &desktop.system;
        ui::TFormMain& w = f.start();
        const auto trigger = [&](const char* item) { w.mainMenu()->action(QString::fromLatin1(item))->trigger(); };
        const auto hosts = [&] { return hostNames(w.state().store.hosts()); };

        trigger("MenuImportIExplorerBookmarks");
        QVERIFY(holds(hosts(), "go.microsoft.com"));
        QVERIFY(holds(hosts(), "www.daveeddy.com"));
        QCOMPARE(f.dialogs.askedTexts().back(), "New Hosts imported: " + std::to_string(hosts().size()) + ".");

        f.dialogs.fileAnswers = { std::string(QUILLON_TEST_DATA)
                                  + "/bookmarks/CPAN-Adoptable-Modules__netscape-bookmarks/bookmark_files/Bookmarks4.7.html" };
        const std::size_t before = hosts().size();
        trigger("MenuImportNetscapeBookmarks");
        QVERIFY(hosts().size() > before);
        QCOMPARE(f.dialogs.askedTexts().back(), "New Hosts imported: " + std::to_string(hosts().size() - before) + ".");

        // The running Netscape saves its cache listing into Quillon.n01.
        f.dialogs.answers = { core::Answer::Ok, core::Answer::Ok };
        trigger("MenuImportNetscapeCache");
        QVERIFY(holds(hosts(), "ns-cached.example"));
        const QString nsLog = readText(logOf("netscape"));
        const QString n01 = QString::fromStdString(w.state().paths.n01);
        QVERIFY2(nsLog.contains(QStringLiteral("WWW_OpenURL\tabout:cache,%1,0x0,0x0,,,").arg(n01)), qPrintable(nsLog));
        QVERIFY(nsLog.contains(QStringLiteral("WWW_OpenURL\t%1,,0xFFFFFFFF,0x0,,,").arg(QString::fromStdString(w.state().paths.n02))));
        QCOMPARE(QFileInfo(n01).size(), 0);

        // Internet Explorer is not running: opening a host starts it, then
        // brings its window forward and loads the host.
        const std::size_t row = 0;
        const std::string host = w.state().store.hosts().at(row).HostName;
        w.selectRows(0, { static_cast<int>(row) });
        const std::size_t asked = f.dialogs.asked.size();
        trigger("MenuFileOpenIExplorer");
        QCOMPARE(f.dialogs.asked.size(), asked); // no "Internet Explorer not found."
        const QString ieLog = readText(logOf("iexplore"));
        stopLaunched(ieLauncher);
        QVERIFY2(ieLog.contains(QStringLiteral("WWW_Activate\t0xFFFFFFFF")), qPrintable(ieLog));
        QVERIFY2(ieLog.contains(QStringLiteral("WWW_OpenURL\t%1,,0xFFFFFFFF,0x3,,,").arg(QString::fromStdString(host))),
                 qPrintable(ieLog));

        // The history that Internet Explorer kept is its cache: the host it
        // just showed, already listed.
        trigger("MenuImportIExplorerCache");
        QCOMPARE(f.dialogs.askedTexts().back(), std::string("No new Hosts to import."));
        QVERIFY(readText(folder("data") + QStringLiteral("/quillon/url-cache"))
                    .contains(QStringLiteral("@http://%1/").arg(QString::fromStdString(host))));
    }

    void aBrowserThatNeverAnswersGivesNothingWithinTheTimeOut()
    {
        startBrowser("iexplore", QStringLiteral("http://mute.example/"), { QStringLiteral("--mute") });
        platform::SocketDdeClient client;
        QElapsedTimer elapsed;
        elapsed.start();
        QCOMPARE(capture::GetBrowserHost(client, "iexplore"), std::string());
        QVERIFY(elapsed.elapsed() < 2 * platform::DdeConversation::RequestTimeoutMs);
    }
};

QTEST_MAIN(tst_BrowserCapture)
#include "tst_BrowserCapture.moc"
