// Capture and imports from real browsers: Debian's firefox-esr and chromium,
// headless, each on a fresh profile in a home folder of the test's own,
// browse through a local proxy that answers every request itself
// (tests/browsers). A running main window follows their histories into its
// lists, and the history and bookmark imports read the same profiles. Only
// name resolution is scripted.

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
    QStringList m_running; // profiles whose browser was started and not yet stopped
    QString firefoxProfile() const { return m_home.path() + QStringLiteral("/.mozilla/firefox/e2e.default"); }
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
        if (arguments.first() == QLatin1String("start"))
            m_running.append(arguments.at(2));
        if (arguments.first() == QLatin1String("stop"))
            m_running.removeAll(arguments.at(1));
        return QString::fromUtf8(p.readAllStandardOutput());
    }
    capture::BrowserHistories histories()
    {
        platform::PosixFileSystem fs;
        const std::string home = m_home.path().toStdString();
        return { capture::findBrowserProfiles(fs, home, home + "/.config"), home + "/copies" };
    }
    void startWindow(MainWindowFixture& f, capture::BrowserHistories found, const std::string& extra)
    {
        f.writeSettings("StartSplash=0\r\nDDECaptureIExplore=0\r\nDDECaptureNetscape=0\r\nCheckOnLine=0\r\n" + extra);
        f.resolver.resolveEverything = true;
        f.histories = std::move(found);
        f.start();
    }

private slots:
    void initTestCase()
    {
        for (const char* browser : { "firefox-esr", "chromium" })
            QVERIFY2(!QStandardPaths::findExecutable(QLatin1String(browser)).isEmpty(), browser);
        QVERIFY(m_home.isValid());
        QVERIFY(QDir().mkpath(m_home.path() + QStringLiteral("/copies")));
        QVERIFY(QDir().mkpath(firefoxProfile()));
        QFile ini(m_home.path() + QStringLiteral("/.mozilla/firefox/profiles.ini"));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[Profile0]\nName=e2e\nIsRelative=1\nPath=e2e.default\nDefault=1\n");
        ini.close();

        m_proxy.start(QStringLiteral("python3"), { Browsers + QStringLiteral("/proxy.py"), m_home.path() + QStringLiteral("/proxy.log") });
        QVERIFY(m_proxy.waitForReadyRead(10000));
        const QString first = QString::fromUtf8(m_proxy.readLine()).trimmed();
        QVERIFY2(first.startsWith(QStringLiteral("PORT ")), qPrintable(first));
        m_port = first.mid(5);
    }
    void cleanupTestCase()
    {
        // Browsers a failed check left running.
        for (const QString& profile : { firefoxProfile(), chromiumProfile() }) {
            if (m_running.contains(profile))
                visit({ QStringLiteral("stop"), profile });
        }
        m_proxy.terminate();
        m_proxy.waitForFinished(5000);
    }

    void liveCaptureFollowsBothBrowsers()
    {
        // Both browsers run, and have written their histories once.
        visit({ QStringLiteral("start"), QStringLiteral("firefox"), firefoxProfile(), m_port,
                QStringLiteral("http://before-start.quillon.test/"), QStringLiteral("--bookmark"),
                QStringLiteral("http://marked-ff.quillon.test/") });
        visit({ QStringLiteral("start"), QStringLiteral("chromium"), chromiumProfile(), m_port, QStringLiteral("--bookmark"),
                QStringLiteral("http://marked-cr.quillon.test/") });
        capture::BrowserHistories found = histories();
        QTRY_VERIFY_WITH_TIMEOUT((found = histories()).profiles.size() == 2, 30000);

        MainWindowFixture f;
        startWindow(f, found, "BrowserHistoryInterval=200\r\n");
        ui::TFormMain& w = *f.window;
        visit({ QStringLiteral("open"), firefoxProfile(), QStringLiteral("http://alpha.quillon.test/a"),
                QStringLiteral("http://beta.quillon.test/b"), QStringLiteral("http://gamma.quillon.test/c") });
        QElapsedTimer sinceVisits;
        sinceVisits.start();
        QTRY_VERIFY_WITH_TIMEOUT(holds(w.state().store.hosts(), "gamma.quillon.test"), 15000);
        qInfo("Firefox's visits were in the lists %lld ms after the last page loaded", sinceVisits.elapsed());
        QVERIFY(holds(w.state().store.hosts(), "alpha.quillon.test"));
        QVERIFY(holds(w.state().store.hosts(), "beta.quillon.test"));

        visit({ QStringLiteral("open"), chromiumProfile(), QStringLiteral("http://delta.quillon.test/d"),
                QStringLiteral("http://epsilon.quillon.test/e"), QStringLiteral("http://zeta.quillon.test/f") });
        // Chromium writes its visits in batches, some ten seconds apart.
        QTRY_VERIFY_WITH_TIMEOUT(holds(w.state().store.hosts(), "zeta.quillon.test"), 40000);
        QVERIFY(holds(w.state().store.hosts(), "delta.quillon.test"));
        // What was visited before the window started is for the imports.
        QVERIFY(!holds(w.state().store.hosts(), "before-start.quillon.test"));
        QVERIFY(f.dialogs.asked.empty());
    }

    void importsReadTheSameProfiles()
    {
        visit({ QStringLiteral("stop"), firefoxProfile() });
        visit({ QStringLiteral("stop"), chromiumProfile() });
        MainWindowFixture f;
        startWindow(f, histories(), "CaptureFirefox=0\r\nCaptureChromium=0\r\n");
        ui::TFormMain& w = *f.window;
        const auto trigger = [&](const char* item) { w.mainMenu()->action(QString::fromLatin1(item))->trigger(); };

        trigger("MenuImportFirefoxHistory");
        for (const char* host : { "before-start.quillon.test", "alpha.quillon.test", "beta.quillon.test", "gamma.quillon.test" })
            QVERIFY2(holds(w.state().store.hosts(), host), host);
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
