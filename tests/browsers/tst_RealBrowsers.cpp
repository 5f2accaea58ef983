// Capture and imports from real browsers: Debian's firefox-esr and chromium,
// headless, run for the first time after the main window started, each
// making its own profile where it makes it in a home folder of the test's
// own, browse through a local proxy that answers every request itself
// (tests/browsers). The window finds the new profiles and follows their
// histories into its lists, and the history and bookmark imports read the
// same profiles. Only name resolution is scripted.

#include "capture/BrowserProfiles.h"
#include "ui/MainMenu.h"
#include "ui/MainWindowFixture.h"

#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

using namespace quillon;
using namespace quillon::test;

namespace {

const QString Browsers = QStringLiteral(QUILLON_SOURCE_DIR "/tests/browsers");

bool holds(const core::HostSequence& list, const std::string& name)
{
    for (std::size_t i = 0; i < list.size(); ++i)
        if (list.at(i).HostName == name)
            return true;
    return false;
}

} // namespace

class tst_RealBrowsers : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_home;
    QProcess m_proxy;
    QString m_port;
    QString m_firefoxProfile;  // where Firefox made it at its first run
    QStringList m_running;     // profiles whose browser was started and not yet stopped
    QString home() const { return m_home.path(); }
    QString chromiumProfile() const { return m_home.path() + QStringLiteral("/.config/chromium"); }

    // tests/browsers/visit.py with the given arguments; its output.
    QString visit(const QStringList& arguments)
    {
        QProcess p;
        p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p.start(QStringLiteral("python3"), QStringList { Browsers + QStringLiteral("/visit.py"), QStringLiteral("--timeout"),
                                                         QStringLiteral("90") } + arguments);
        // start leaves the browser running: its output stays open, so the
        // call ends when visit.py does.
        if (!p.waitForFinished(180000) || p.exitCode() != 0)
            qWarning() << "visit.py failed:" << arguments;
        const QString out = QString::fromUtf8(p.readAllStandardOutput());
        if (arguments.first() == QLatin1String("stop"))
            m_running.removeAll(arguments.at(1));
        return out;
    }
    // Starts a browser as its person would, on the profile it makes (or
    // made) itself in the test's home folder; gives that profile.
    QString startOwn(const char* browser, const QStringList& more = {})
    {
        const QString out = visit(QStringList { QStringLiteral("start-own"), QLatin1String(browser), home(), m_port } + more);
        QString profile;
        for (const QString& line : out.split(QLatin1Char('\n'))) {
            if (line.startsWith(QStringLiteral("PROFILE ")))
                profile = line.mid(8);
        }
        if (!profile.isEmpty())
            m_running.append(profile);
        return profile;
    }
    // Where the program looks for the profiles: the test's home folder, as
    // it looks in the person's.
    capture::BrowserHistories places() const
    {
        const std::string h = home().toStdString();
        return { {}, h + "/copies", h, h + "/.config" };
    }
    void startWindow(MainWindowFixture& f, const std::string& extra)
    {
        f.writeSettings("StartSplash=0\r\nDDECaptureIExplore=0\r\nDDECaptureNetscape=0\r\nCheckOnLine=0\r\n" + extra);
        f.resolver.resolveEverything = true;
        f.histories = places();
        f.start();
    }

private slots:
    void initTestCase()
    {
        for (const char* browser : { "firefox-esr", "chromium" })
            QVERIFY2(!QStandardPaths::findExecutable(QLatin1String(browser)).isEmpty(), browser);
        QVERIFY(m_home.isValid());
        QVERIFY(QDir().mkpath(m_home.path() + QStringLiteral("/copies")));

        m_proxy.start(QStringLiteral("python3"), { Browsers + QStringLiteral("/proxy.py"), m_home.path() + QStringLiteral("/proxy.log") });
        // The first line whole, however many reads it arrives in.
        while (!m_proxy.canReadLine())
            QVERIFY2(m_proxy.waitForReadyRead(10000), "the proxy gave no port");
        const QString first = QString::fromUtf8(m_proxy.readLine()).trimmed();
        QVERIFY2(first.startsWith(QStringLiteral("PORT ")), qPrintable(first));
        m_port = first.mid(5);
    }
    void cleanupTestCase()
    {
        // Browsers a failed check left running.
        for (const QString& profile : QStringList(m_running))
            visit({ QStringLiteral("stop"), profile });
        m_proxy.terminate();
        m_proxy.waitForFinished(5000);
    }

    // The window runs first; each browser is then run for the first time,
    // and makes its own profile where it makes it.
    void liveCaptureFollowsBrowsersFirstRunAfterTheWindow()
    {
        MainWindowFixture f;
        startWindow(f, "BrowserHistoryInterval=200\r\n");
        ui::TFormMain& w = *f.window;

        m_firefoxProfile = startOwn("firefox", { QStringLiteral("--bookmark"), QStringLiteral("http://marked-ff.quillon.test/") });
        QVERIFY2(m_firefoxProfile.startsWith(home() + QStringLiteral("/.config/mozilla/firefox/")), qPrintable(m_firefoxProfile));
        visit({ QStringLiteral("open"), m_firefoxProfile, QStringLiteral("http://alpha.quillon.test/a"),
                QStringLiteral("http://beta.quillon.test/b"), QStringLiteral("http://gamma.quillon.test/c") });
        QElapsedTimer sinceVisits;
        sinceVisits.start();
        QTRY_VERIFY_WITH_TIMEOUT(holds(w.state().store.hosts(), "gamma.quillon.test"), 15000);
        qInfo("Firefox's visits were in the lists %lld ms after the last page loaded", sinceVisits.elapsed());
        QVERIFY(holds(w.state().store.hosts(), "alpha.quillon.test"));
        QVERIFY(holds(w.state().store.hosts(), "beta.quillon.test"));

        QCOMPARE(startOwn("chromium"), chromiumProfile());
        visit({ QStringLiteral("open"), chromiumProfile(), QStringLiteral("http://delta.quillon.test/d"),
                QStringLiteral("http://epsilon.quillon.test/e"), QStringLiteral("http://zeta.quillon.test/f") });
        // Chromium writes its visits in batches, some ten seconds apart.
        QTRY_VERIFY_WITH_TIMEOUT(holds(w.state().store.hosts(), "zeta.quillon.test"), 40000);
        QVERIFY(holds(w.state().store.hosts(), "delta.quillon.test"));
        QVERIFY(f.dialogs.asked.empty());
    }

    // What was visited before the window started is for the imports, also
    // after the person deletes the newest visits; an IPv6 literal is no host.
    void visitsBeforeTheStartStayOut()
    {
        visit({ QStringLiteral("open"), m_firefoxProfile, QStringLiteral("http://before-start.quillon.test/"),
                QStringLiteral("http://newest.quillon.test/") });
        visit({ QStringLiteral("open"), chromiumProfile(), QStringLiteral("http://chromium-before.quillon.test/") });
        MainWindowFixture f;
        startWindow(f, "BrowserHistoryInterval=200\r\n");
        ui::TFormMain& w = *f.window;

        // "Forget About This Site" on the newest visit, with Firefox closed.
        visit({ QStringLiteral("stop"), m_firefoxProfile });
        visit({ QStringLiteral("forget"), m_firefoxProfile, QStringLiteral("newest.quillon.test") });
        QCOMPARE(startOwn("firefox"), m_firefoxProfile);
        visit({ QStringLiteral("open"), m_firefoxProfile, QStringLiteral("http://[::1]:") + m_port + QStringLiteral("/v6"),
                QStringLiteral("http://after-forget.quillon.test/") });
        visit({ QStringLiteral("open"), chromiumProfile(), QStringLiteral("http://chromium-after.quillon.test/") });
        QTRY_VERIFY_WITH_TIMEOUT(holds(w.state().store.hosts(), "after-forget.quillon.test"), 15000);
        QTRY_VERIFY_WITH_TIMEOUT(holds(w.state().store.hosts(), "chromium-after.quillon.test"), 40000);
        QStringList taken;
        for (const auto& r : w.state().store.hosts())
            taken << QString::fromStdString(r->HostName);
        taken.sort();
        QCOMPARE(taken, (QStringList { "after-forget.quillon.test", "chromium-after.quillon.test" }));
        QCOMPARE(w.state().store.wait().size(), std::size_t(0));
    }

    void importsReadTheSameProfiles()
    {
        visit({ QStringLiteral("stop"), m_firefoxProfile });
        visit({ QStringLiteral("stop"), chromiumProfile() });
        // Chromium takes bookmarks into the profile it made.
        startOwn("chromium", { QStringLiteral("--bookmark"), QStringLiteral("http://marked-cr.quillon.test/") });
        visit({ QStringLiteral("stop"), chromiumProfile() });
        MainWindowFixture f;
        startWindow(f, "CaptureFirefox=0\r\nCaptureChromium=0\r\n");
        ui::TFormMain& w = *f.window;
        const auto trigger = [&](const char* item) { w.mainMenu()->action(QString::fromLatin1(item))->trigger(); };

        trigger("MenuImportFirefoxHistory");
        for (const char* host : { "before-start.quillon.test", "alpha.quillon.test", "beta.quillon.test",
                                  "gamma.quillon.test", "after-forget.quillon.test" })
            QVERIFY2(holds(w.state().store.hosts(), host), host);
        QVERIFY(!holds(w.state().store.hosts(), "newest.quillon.test")); // forgotten
        trigger("MenuImportChromiumHistory");
        for (const char* host : { "delta.quillon.test", "epsilon.quillon.test", "zeta.quillon.test" })
            QVERIFY2(holds(w.state().store.hosts(), host), host);
        trigger("MenuImportFirefoxBookmarks");
        QVERIFY(holds(w.state().store.hosts(), "marked-ff.quillon.test"));
        trigger("MenuImportChromiumBookmarks");
        QVERIFY(holds(w.state().store.hosts(), "marked-cr.quillon.test"));
        QCOMPARE(f.dialogs.askedTexts().back(), std::string("New Hosts imported: 1."));

        // The browsers' own background traffic met the proxy's refusals.
        QFile log(m_home.path() + QStringLiteral("/proxy.log"));
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QString requests = QString::fromUtf8(log.readAll());
        QVERIFY(requests.contains(QStringLiteral("GET\thttp://alpha.quillon.test/a")));
        QVERIFY(!requests.contains(QStringLiteral("CONNECT")) || requests.contains(QStringLiteral("\t403")));
    }
};

QTEST_MAIN(tst_RealBrowsers)
#include "tst_RealBrowsers.moc"
