// Ending from outside (SIGTERM, as the session's end or `kill` sends it)
// while an operation runs, a prompt or a question is open: the operation
// ends as Cancel would, every host goes back to its list, the exit save
// runs, and no dialog is left waiting. Also the exit the person chooses when
// its save fails. The window meets its own dialogs here, not a script.

#include "core/ProgramExit.h"
#include "ui/MainWindowFixture.h"
#include "ui/ModalAnswer.h"
#include "ui/PageControl.h"
#include "verify/VerificationRuns.h"

#include <QDialog>
#include <QMessageBox>
#include <QTest>

#include <csignal>

using namespace quillon;
using quillon::test::child;
using quillon::test::MainWindowFixture;
using quillon::test::whenModal;

namespace {
// No splash; no connection test, which would ask first (the resolver is a
// double that knows no name of this computer).
const std::string Settings = "StartSplash=0\r\nCheckOnLine=0\r\n";
} // namespace

class TestEndFromOutside : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void signal_whileThePromptIsOpen_putsEveryHostBackAndSaves();
    void signal_whileAbortOperationIsAsked_endsWithoutLooping();
    void signal_betweenTwoHosts_endsTheRunAsCancelWould();
    void personsExit_failedSave_asksAndStaysOnNo();

private:
    // The Wait list w1, w2, w3, none of which resolves.
    ui::TFormMain& startWithWaitList(MainWindowFixture& f)
    {
        f.writeSettings(Settings);
        f.programDir.write("Quillon.d01", "0 w1\r\n0 w2\r\n0 w3\r\n");
        return f.start(true, true);
    }
    // Every host of the Wait list is in Quillon.d01, as the exit saved it.
    static void verifyWaitListSaved(const MainWindowFixture& f)
    {
        const std::string d01 = f.programDir.read("Quillon.d01");
        for (const char* name : { " w1 ", " w2 ", " w3 " })
            QVERIFY2(d01.find(name) != std::string::npos, name);
    }
    static bool anyDialogVisible()
    {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (qobject_cast<QDialog*>(w) && w->isVisible())
                return true;
        }
        return false;
    }
    // A dialog shown after the request to end would wait for nobody: close
    // it and fail (checked in cleanup, which stops the watch).
    void failOnAnyLaterDialog()
    {
        m_laterDialogs.setInterval(5);
        m_laterDialogs.callOnTimeout(this, [this] {
            if (QWidget* modal = QApplication::activeModalWidget(); modal && modal->isVisible()) {
                m_shownLater = modal->objectName();
                qobject_cast<QDialog*>(modal)->done(0);
            }
        });
        m_laterDialogs.start();
    }

    QTimer m_laterDialogs;
    QString m_shownLater;
};

void TestEndFromOutside::initTestCase()
{
    // As the program itself has it: closing the window is not quitting.
    QApplication::setQuitOnLastWindowClosed(false);
}

void TestEndFromOutside::cleanup()
{
    m_laterDialogs.stop();
    m_laterDialogs.disconnect();
    QCOMPARE(m_shownLater, QString());
    // The program's exit quits the application; a real program ends there.
    // Here the next case needs modal dialogs that wait again.
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    QCoreApplication::exec();
}

void TestEndFromOutside::signal_whileThePromptIsOpen_putsEveryHostBackAndSaves()
{
    MainWindowFixture f;
    ui::TFormMain& w = startWithWaitList(f);
    int prompts = 0;
    whenModal([&](QWidget* modal) {
        ++prompts;
        QCOMPARE(modal->objectName(), QStringLiteral("TFormDialog"));
        ::raise(SIGTERM);
        failOnAnyLaterDialog();
    });
    verify::MenuVerifyVerifyHostsQQDClick(w.app());
    QTRY_VERIFY(w.exited());
    QCOMPARE(prompts, 1);
    QVERIFY(!anyDialogVisible());
    verifyWaitListSaved(f);
}

void TestEndFromOutside::signal_whileAbortOperationIsAsked_endsWithoutLooping()
{
    MainWindowFixture f;
    ui::TFormMain& w = startWithWaitList(f);
    whenModal([&](QWidget* prompt) {
        child<QPushButton>(prompt, "Button3")->click();
        whenModal([&](QWidget* question) {
            QVERIFY(qobject_cast<QMessageBox*>(question));
            ::raise(SIGTERM);
            failOnAnyLaterDialog();
        });
    });
    verify::MenuVerifyVerifyHostsQQDClick(w.app());
    QTRY_VERIFY(w.exited());
    QVERIFY(!anyDialogVisible());
    verifyWaitListSaved(f);
}

void TestEndFromOutside::signal_betweenTwoHosts_endsTheRunAsCancelWould()
{
    MainWindowFixture f;
    // One lookup at a time: the signal raised during h1's lookup is seen
    // only after h1 was answered (with look-ahead it may be seen while the
    // run still waits for h1, which then goes back unverified).
    f.writeSettings(Settings + "LookAhead=1\r\n");
    f.hostsDir.write("hosts", "1.1.1.1 h1\r\n1.1.1.2 h2\r\n1.1.1.3 h3\r\n");
    ui::TFormMain& w = f.start(true, true);
    f.resolver.resolveEverything = true;
    f.resolver.duringLookup = [](const std::string& name) {
        if (name == "h1")
            ::raise(SIGTERM); // seen when the run lets the window handle its events
    };
    failOnAnyLaterDialog();
    verify::MenuVerifyVerifyHostsClick(w.app());
    QTRY_VERIFY(w.exited());
    QCOMPARE(f.resolver.lookups, (std::vector<std::string> { "h1" }));
    const std::string hosts = f.hostsDir.read("hosts");
    QVERIFY(hosts.find("10.9.8.7 h1 ") != std::string::npos); // resolved before the signal was seen
    QVERIFY(hosts.find("1.1.1.2 h2 ") != std::string::npos);   // put back unverified
    QVERIFY(hosts.find("1.1.1.3 h3 ") != std::string::npos);
}

void TestEndFromOutside::personsExit_failedSave_asksAndStaysOnNo()
{
    MainWindowFixture f;
    f.writeSettings();
    ui::TFormMain& w = f.start(true, true);
    auto r = std::make_unique<core::TRecHost>();
    r->HostName = "unsaved.example";
    r->IP = "10.0.0.1";
    r->Status = core::StatusVerified;
    w.state().store.insertTopOfHosts(std::move(r));
    f.fs.fail(test::FaultyFileSystem::Op::Write, w.state().paths.hostsFile.tmp, EACCES);

    QStringList seen;
    const auto answer = [&](QMessageBox::StandardButton button) {
        return [&seen, button](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            QVERIFY(box);
            seen << box->text();
            box->button(button)->click();
        };
    };
    whenModal([&](QWidget* modal) {
        answer(QMessageBox::Yes)(modal); // "Exit Quillon ?"
        whenModal([&](QWidget* error) {
            answer(QMessageBox::Ok)(error);
            whenModal(answer(QMessageBox::No));
        });
    });
    w.MenuTNAExitClick();
    QCOMPARE(seen.size(), 3);
    QVERIFY(seen[1].contains(QStringLiteral("Permission denied")));
    QCOMPARE(seen[2], QString::fromLatin1(core::ExitAnywayQuestion));
    QVERIFY(!w.exited());
    QCOMPARE(w.state().store.hosts().size(), std::size_t(1));
    QVERIFY(w.tray()->menuAttached());
    QVERIFY(w.pageControl()->isEnabled());

    // Asked to end while that question is open: the program ends.
    whenModal([&](QWidget* modal) {
        answer(QMessageBox::Yes)(modal);
        whenModal([&](QWidget* error) {
            answer(QMessageBox::Ok)(error);
            whenModal([](QWidget*) { ::raise(SIGTERM); });
        });
    });
    w.MenuTNAExitClick();
    QTRY_VERIFY(w.exited());
    QVERIFY(!anyDialogVisible());
}

QTEST_MAIN(TestEndFromOutside)
#include "tst_EndFromOutside.moc"
