// The window while the lookup of a captured host hangs: its event loop runs
// on, later capture ticks ask no second lookup, and the host lands once the
// lookup returns; while the interface is locked the answer waits for the
// unlock; a window that goes with a lookup pending applies nothing and
// leaves the lookup to finish on what it shares.

#include "core/Interface.h"
#include "fakes/GateResolver.h"
#include "ui/MainWindowFixture.h"

#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace quillon;
using quillon::test::GateResolver;
using quillon::test::MainWindowFixture;

class TestCaptureLookups : public QObject {
    Q_OBJECT

private slots:
    void hangingLookup_windowRunsOnAndTheHostLandsOnce();
    void lockedWindow_answerWaitsForTheUnlock();
    void windowGoesWithALookupPending();

private:
    // Captures new.example from the stand-in Explorer every 20 ms; the
    // captures' lookups go to gate. No connection test.
    static ui::TFormMain& startCapturing(MainWindowFixture& f, const std::shared_ptr<GateResolver>& gate)
    {
        f.writeSettings("StartSplash=0\r\nCheckOnLine=0\r\nDDETimerInterval=20\r\nDDECaptureNetscape=0\r\n");
        f.browsers.windows.add("Page - Microsoft Internet Explorer");
        f.browsers.dde.servers["iexplore"].reply = [](const std::string& topic, const std::string&) {
            return topic == "WWW_GetWindowInfo" ? std::string("\"http://new.example/\",\"Page\"") : std::string();
        };
        f.lookups = gate;
        return f.start();
    }
    static QTimer* poll(ui::TFormMain& w) { return w.findChild<QTimer*>(QStringLiteral("TimerCaptureLookups")); }
};

void TestCaptureLookups::hangingLookup_windowRunsOnAndTheHostLandsOnce()
{
    MainWindowFixture f;
    const auto gate = std::make_shared<GateResolver>();
    gate->answer("new.example", "3.3.3.3");
    ui::TFormMain& w = startCapturing(f, gate);
    QSignalSpy ticks(w.timer(core::Timer::DDE), &QTimer::timeout);
    QTimer heartbeat;
    int beats = 0;
    connect(&heartbeat, &QTimer::timeout, this, [&beats] { ++beats; });
    heartbeat.start(5);

    QTRY_COMPARE(gate->asked().size(), std::size_t(1));
    QTRY_VERIFY(ticks.count() >= 5 && beats >= 10);
    QCOMPARE(gate->asked().size(), std::size_t(1));
    QCOMPARE(w.state().store.activeSize(), std::size_t(0));
    QCOMPARE(w.state().activity, int(core::ActivityVerifying));
    QVERIFY(poll(w)->isActive());

    gate->open();
    QTRY_COMPARE(w.state().store.hosts().size(), std::size_t(1));
    const core::TRecHost& r = w.state().store.hosts().at(0);
    QCOMPARE(r.HostName, std::string("new.example"));
    QCOMPARE(r.IP, std::string("3.3.3.3"));
    QCOMPARE(r.Status, int(core::StatusVerified));
    QCOMPARE(r.Freq, 1);
    QCOMPARE(w.state().activity, int(core::ActivityNone));
    QVERIFY(!poll(w)->isActive());
    const int seen = int(ticks.count());
    QTRY_VERIFY(ticks.count() >= seen + 3); // the page still shown is counted once
    QCOMPARE(w.state().store.hosts().at(0).Freq, 1);
    QCOMPARE(gate->asked().size(), std::size_t(1));
    QVERIFY(!gate->gaveUp());
}

void TestCaptureLookups::lockedWindow_answerWaitsForTheUnlock()
{
    MainWindowFixture f;
    const auto gate = std::make_shared<GateResolver>();
    ui::TFormMain& w = startCapturing(f, gate);
    QTRY_COMPARE(gate->asked().size(), std::size_t(1));
    core::setInterfaceLock(w.app(), false); // as a verification run does
    QVERIFY(!poll(w)->isActive());
    gate->open();
    QVERIFY(gate->waitUntilReturned(1));
    QTest::qWait(200);
    QCOMPARE(w.state().store.activeSize(), std::size_t(0));

    core::setInterfaceLock(w.app(), true);
    QTRY_COMPARE(w.state().store.wait().size(), std::size_t(1)); // new.example did not resolve
    QCOMPARE(w.state().store.wait().at(0).Freq, 1);
}

void TestCaptureLookups::windowGoesWithALookupPending()
{
    MainWindowFixture f;
    const auto gate = std::make_shared<GateResolver>();
    gate->answer("new.example", "3.3.3.3");
    startCapturing(f, gate);
    QTRY_COMPARE(gate->asked().size(), std::size_t(1));
    f.window.reset();
    f.lookups.reset();
    gate->open();
    // The answer goes to what it shares, which lets go of the resolver.
    QTRY_COMPARE(gate.use_count(), 1L);
}

QTEST_MAIN(TestCaptureLookups)
#include "tst_CaptureLookups.moc"
