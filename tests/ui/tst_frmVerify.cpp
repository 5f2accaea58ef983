// The address verification window: its masked address fields and the text
// they hand over, the final field prepared from the initial one, an interval
// whose lookups hang (the window keeps turning; Cancel and a request to end
// stop it), and the result list's Delete and Reset.

#include "verify/frmVerify.h"

#include "core/BackgroundWork.h"

#include "fakes/FakeClock.h"
#include "fakes/FakeResolver.h"
#include "fakes/FakeShell.h"
#include "fakes/FaultyFileSystem.h"
#include "fakes/ScriptedDialogs.h"

#include <QAbstractItemModelTester>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <condition_variable>
#include <mutex>

using namespace quillon;
using namespace quillon::test;
using Names = std::vector<std::string>;

namespace {

// Reverse lookups that wait until the test opens the gate, as a DNS server
// that does not answer keeps them waiting.
class GatedResolver final : public platform::Resolver {
public:
    explicit GatedResolver(FakeResolver& inner)
        : m_inner(inner)
    {
    }
    void open()
    {
        std::lock_guard lock(m_mutex);
        m_open = true;
        m_changed.notify_all();
    }
    void waitUntilAnswered(int count)
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return m_answered >= count; });
    }
    std::optional<platform::IPv4> numericAddress(const std::string& text) override
    {
        return m_inner.numericAddress(text);
    }
    platform::ForwardAnswer lookupName(const std::string& name) override { return m_inner.lookupName(name); }
    platform::ReverseAnswer lookupAddress(const platform::IPv4& address) override
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return m_open; });
        platform::ReverseAnswer answer = m_inner.lookupAddress(address);
        ++m_answered;
        m_changed.notify_all();
        return answer;
    }
    std::string localHostName() override { return m_inner.localHostName(); }

private:
    FakeResolver& m_inner;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_open = false;
    int m_answered = 0;
};

// The window over a tool whose person is played by a script, shown and
// active, with the given tab current.
struct Window {
    explicit Window(int tab)
    {
        dialogs.reportUnexpected = [](const std::string& what) { QTest::qFail(what.c_str(), __FILE__, __LINE__); };
        form.show();
        form.activateWindow();
        if (!QTest::qWaitForWindowActive(&form))
            QTest::qFail("window not active", __FILE__, __LINE__);
        get<QTabWidget>("PageControl1")->setCurrentIndex(tab);
    }
    // Lookups an interval left waiting at the gate use the resolvers below.
    ~Window()
    {
        gated.open();
        core::waitForDetachedWork();
    }
    template<typename T>
    T* get(const char* name)
    {
        return form.findChild<T*>(QLatin1String(name));
    }
    QLineEdit* field(const char* name) { return get<QLineEdit>(name); }
    QString handedOver(const char* name) { return verify::octetFieldText(field(name)->displayText()); }
    QStringList rows()
    {
        QStringList out;
        const QAbstractItemModel* m = get<QTableView>("ListView1")->model();
        for (int r = 0; r < m->rowCount(); ++r)
            out << m->index(r, 0).data().toString() + QLatin1Char('=') + m->index(r, 1).data().toString();
        return out;
    }
    // Types an initial address and leaves the field with Tab.
    void leaveInitial(const QString& typed)
    {
        field("MEditIP1")->setFocus();
        QTest::keyClicks(field("MEditIP1"), typed);
        QTest::keyClick(field("MEditIP1"), Qt::Key_Tab);
        QCoreApplication::processEvents();
    }

    FaultyFileSystem fs;
    FakeClock clock;
    ScriptedDialogs dialogs;
    FakeShell shell;
    FakeResolver resolver;
    GatedResolver gated { resolver };
    FakeConnection connection;
    core::ProgramState state;
    core::App app { state, fs, clock, dialogs, shell, gated, connection };
    verify::AddressTool tool { app };
    verify::TFormVerify form { tool };
    QAbstractItemModelTester tester { get<QTableView>("ListView1")->model(),
                                      QAbstractItemModelTester::FailureReportingMode::QtTest };
};

} // namespace

class TestFrmVerify : public QObject {
    Q_OBJECT

private slots:
    void addressField_handsOverTwelvePositions_data();
    void addressField_handsOverTwelvePositions();
    void leavingInitialField_preparesFinalField_data();
    void leavingInitialField_preparesFinalField();
    void finalField_onlyItsLastGroupIsTyped();
    void hangingLookups_windowTurns_cancelStopsAfterThatAddress();
    void endingFromOutside_stopsTheWalkAndClosesTheWindow();
    void deleteKeyAndReset();
};

void TestFrmVerify::addressField_handsOverTwelvePositions_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("handedOver");
    QTest::addColumn<QString>("message"); // after "&Verify"; empty: a row was added
    QTest::newRow("shortGroups_dotsJumpAhead") << "1.2.3.4" << "1__.2__.3__.4__" << "1  2  3  4  " << "";
    QTest::newRow("digitsOnly_fillGroupsInTurn") << "255255255255" << "255.255.255.255" << "255255255255"
                                                 << "Impossible to verify IP address.";
    QTest::newRow("group256_invalid") << "256.1.1.1" << "256.1__.1__.1__" << "2561  1  1  " << "Invalid IP address.";
    QTest::newRow("emptyLastGroup_invalid") << "1.2.3" << "1__.2__.3__.___" << "1  2  3     " << "Invalid IP address.";
    QTest::newRow("lettersRefused") << "1a2b3.4.5.6" << "123.4__.5__.6__" << "1234  5  6  "
                                    << "Impossible to verify IP address.";
    QTest::newRow("fourthDigitDropped") << "1.2.3.4567" << "1__.2__.3__.456" << "1  2  3  456" << "Invalid IP address.";
}

void TestFrmVerify::addressField_handsOverTwelvePositions()
{
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(QString, handedOver);
    QFETCH(QString, message);
    Window w(1);
    w.resolver.reverse["1.2.3.4"] = "four.lan";
    w.gated.open();
    QLineEdit* field = w.field("MEditIP");
    field->setFocus();
    QTest::keyClicks(field, typed);
    QCOMPARE(field->displayText(), shown);
    QCOMPARE(w.handedOver("MEditIP"), handedOver);
    QTest::keyClick(field, Qt::Key_Return); // the default button
    QCOMPARE(w.dialogs.askedTexts(), message.isEmpty() ? Names() : Names { message.toStdString() });
    QCOMPARE(int(w.rows().size()), message.isEmpty() ? 1 : 0);
    QCOMPARE(field->displayText(), message.isEmpty() ? QStringLiteral("___.___.___.___") : shown);
    QVERIFY(field->hasFocus());
    QCOMPARE(field->selectedText().size(), 15);
}

void TestFrmVerify::leavingInitialField_preparesFinalField_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("key"); // leaving with Tab, or Enter before ever leaving
    QTest::addColumn<QString>("finalShown");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("focused"); // with its last group (MEditIP2) or whole text (MEditIP1) selected
    QTest::newRow("presetSelected") << "192.168.1.10" << int(Qt::Key_Tab) << "192.168.1__.10_" << "" << "MEditIP2";
    QTest::newRow("fullGroups") << "010.000.000.255" << int(Qt::Key_Tab) << "010.000.000.255" << "" << "MEditIP2";
    QTest::newRow("invalid_finalBackToStart") << "10.0.0" << int(Qt::Key_Tab) << "___.___.___.___"
                                              << "Invalid initial IP address." << "MEditIP1";
    // The focus then moving to MEditIP2 leaves MEditIP1: the final field is prepared.
    QTest::newRow("enterBeforeLeaving_emptyFinal") << "10.0.0.1" << int(Qt::Key_Return) << "10_.0__.0__.1__"
                                                   << "Invalid final IP address." << "MEditIP2";
}

void TestFrmVerify::leavingInitialField_preparesFinalField()
{
    QFETCH(QString, typed);
    QFETCH(int, key);
    QFETCH(QString, finalShown);
    QFETCH(QString, message);
    QFETCH(QString, focused);
    Window w(2);
    w.field("MEditIP1")->setFocus();
    QTest::keyClicks(w.field("MEditIP1"), typed);
    QTest::keyClick(w.field("MEditIP1"), Qt::Key(key));
    QCoreApplication::processEvents();
    QCOMPARE(w.dialogs.askedTexts(), message.isEmpty() ? Names() : Names { message.toStdString() });
    QCOMPARE(w.field("MEditIP2")->displayText(), finalShown);
    QLineEdit* field = w.field(focused.toLatin1().constData());
    QVERIFY(field->hasFocus());
    QCOMPARE(field->selectionStart(), focused == QLatin1String("MEditIP2") ? 12 : 0);
    QCOMPARE(field->selectedText().size(), focused == QLatin1String("MEditIP2") ? 3 : 15);
}

void TestFrmVerify::finalField_onlyItsLastGroupIsTyped()
{
    Window w(2);
    QLineEdit* finalField = w.field("MEditIP2");
    w.leaveInitial(QStringLiteral("1.1.1.1"));
    QTest::keyClicks(finalField, QStringLiteral("23")); // over the preset
    QCOMPARE(finalField->displayText(), QStringLiteral("1__.1__.1__.23_"));
    // From the start of the fixed part, and over the whole field: the fixed
    // "1" must not swallow a typed "1".
    finalField->setCursorPosition(0);
    QTest::keyClicks(finalField, QStringLiteral("19"));
    QCOMPARE(finalField->displayText(), QStringLiteral("1__.1__.1__.19_"));
    finalField->selectAll();
    QTest::keyClicks(finalField, QStringLiteral("1995"));
    QCOMPARE(w.handedOver("MEditIP2"), QStringLiteral("1  1  1  199"));
}

void TestFrmVerify::hangingLookups_windowTurns_cancelStopsAfterThatAddress()
{
    Window w(2);
    w.resolver.reverse = { { "10.0.0.1", "a.lan" }, { "10.0.0.2", "b.lan" } };
    w.leaveInitial(QStringLiteral("10.0.0.1"));
    QTest::keyClicks(w.field("MEditIP2"), QStringLiteral("3"));
    // A timer keeps firing while the first lookup hangs. Esc is "&Cancel",
    // answered No; then a click on it answered Yes; only then does the
    // resolver answer.
    int ticks = 0;
    QString status;
    bool walkShown = false;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, &w.form, [&] {
        if (++ticks == 3) {
            status = w.get<QLabel>("PanelStatus")->text();
            walkShown = w.get<QPushButton>("ButtonCancel")->isVisible()
                && !w.get<QPushButton>("ButtonVerify")->isVisible() && w.get<QLabel>("ImageStatus1")->isVisible()
                && !w.get<QPushButton>("ButtonClose")->isEnabled();
            w.dialogs.answers = { core::Answer::No, core::Answer::Yes };
            QTest::keyClick(&w.form, Qt::Key_Escape);
            QVERIFY(!w.form.close()); // the close box waits for the interval
        } else if (ticks == 6) {
            QTest::mouseClick(w.get<QPushButton>("ButtonCancel"), Qt::LeftButton);
            w.gated.open();
        }
    });
    timer.start(10);
    QTest::mouseClick(w.get<QPushButton>("ButtonVerify"), Qt::LeftButton);
    timer.stop();
    QVERIFY(ticks >= 6);
    QCOMPARE(status, QStringLiteral(" Verifying IP address: 10.0.0.1 ... (1 of 3)"));
    QVERIFY(walkShown);
    QCOMPARE(w.dialogs.askedTexts(), (Names { "Abort operation ?", "Abort operation ?" }));
    QCOMPARE(w.dialogs.asked[0].kind, core::MessageKind::QuestionDefaultNo);
    QCOMPARE(w.rows(), QStringList { "a.lan=10.0.0.1" });
    QVERIFY(w.get<QPushButton>("ButtonVerify")->isVisible() && !w.get<QPushButton>("ButtonCancel")->isVisible());
    QVERIFY(w.get<QLabel>("ImageStatus0")->isVisible() && w.get<QLabel>("PanelStatus")->text().isEmpty());
    QVERIFY(w.field("MEditIP1")->hasFocus());
}

void TestFrmVerify::endingFromOutside_stopsTheWalkAndClosesTheWindow()
{
    Window w(2);
    w.resolver.reverse = { { "10.0.0.1", "a.lan" } };
    w.leaveInitial(QStringLiteral("10.0.0.1"));
    QTest::keyClicks(w.field("MEditIP2"), QStringLiteral("200"));
    // Running modally, the window is closed unanswered by the main window
    // asked to end, while the lookup never answers.
    bool walkReturned = false;
    QTimer::singleShot(0, &w.form, [&] {
        QTest::mouseClick(w.get<QPushButton>("ButtonVerify"), Qt::LeftButton);
        walkReturned = true;
    });
    QTimer::singleShot(120, &w.form, [&] {
        w.state.ending = w.state.cancel = true;
        w.form.done(QDialog::Rejected);
    });
    QCOMPARE(w.form.exec(), int(QDialog::Rejected));
    QVERIFY(walkReturned);
    QVERIFY(w.rows().isEmpty());
    QVERIFY(w.dialogs.asked.empty());
    w.gated.open(); // the lookup left behind finishes on its own
    w.gated.waitUntilAnswered(1);
}

void TestFrmVerify::deleteKeyAndReset()
{
    Window w(0);
    auto* list = w.get<QTableView>("ListView1");
    for (const char* host : { "a.lan", "b.lan", "c.lan", "d.lan" }) {
        w.resolver.answer(host, "10.0.0.1");
        w.field("EditHostname")->setText(QString::fromLatin1(host));
        QTest::keyClick(w.field("EditHostname"), Qt::Key_Return);
    }
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Delete); // nothing selected
    for (const int row : { 0, 2, 3 })
        list->selectionModel()->select(list->model()->index(row, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
    QTest::keyClick(list, Qt::Key_Delete);
    QCOMPARE(w.rows(), QStringList { "b.lan=10.0.0.1" });
    QTest::mouseClick(w.get<QPushButton>("ButtonClear"), Qt::LeftButton);
    QVERIFY(w.rows().isEmpty());
    QTest::keyClick(list, Qt::Key_Escape); // no interval: Esc leaves the window open
    QVERIFY(w.form.isVisible());
    QVERIFY(w.dialogs.asked.empty());
}

QTEST_MAIN(TestFrmVerify)
#include "tst_frmVerify.moc"
