#include "MainWindowFixture.h"

#include "ui/MainMenu.h"
#include "ui/PageControl.h"
#include "ui/TFormOptions.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>

#include <cerrno>

using namespace quillon;
using namespace quillon::test;

namespace {

// Runs step inside the Options dialog opened from the Tools menu.
void withOptions(ui::TFormMain& w, const std::function<void(ui::TFormOptions&)>& step)
{
    bool ran = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<ui::TFormOptions*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        ran = true;
        step(*dialog);
        if (dialog->isVisible() && QTest::currentTestFailed())
            dialog->reject();
    });
    w.mainMenu()->action(QStringLiteral("MenuToolsOptions"))->trigger();
    QVERIFY(ran);
}

template<typename T>
T* control(QWidget& dialog, const char* name)
{
    T* found = dialog.findChild<T*>(QLatin1String(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
}

// Types into a number field as a person does, then moves the focus on.
void typeNumber(QWidget& dialog, const char* name, const QString& keys)
{
    auto* field = control<QLineEdit>(dialog, name);
    // Focus moves only within the active window.
    dialog.activateWindow();
    if (!QTest::qWaitForWindowActive(&dialog))
        QFAIL("the dialog never became active");
    field->setFocus();
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Delete);
    field->home(false);
    for (const QChar c : keys) {
        if (c == QLatin1Char('>'))
            QTest::keyClick(field, Qt::Key_Right);
        else
            QTest::keyClicks(field, QString(c));
    }
    control<QPushButton>(dialog, "ButtonApply")->setFocus();
}

const char* const Checks[] = { "chkAutoStart",         "chkStartSplash",        "chkStartTNA",
                               "chkWorkTNA",           "chkSaveWindow",         "chkDDECaptureIExplore",
                               "chkDDECaptureNetscape", "chkCaptureFirefox",    "chkCaptureChromium",
                               "chkAutoSave",          "chkAutoVerifyHosts",    "chkAutoVerifyHostsQQD",
                               "chkCheckOnLine" };

} // namespace

class TestOptions : public QObject {
    Q_OBJECT

private slots:
    void ok_writesEveryKeyInPlaceAndInOrder();
    void numberField_data();
    void numberField();
    void cancel_keepsWhatApplyStored();
    void lock_heldWhileOpenAndCaptureTimerFollowsTheBoxes();
    void failedWrite_okReportsAndStaysOpen();
};

// Every control changed once; the file keeps its other lines byte for byte,
// updates the keys it has in place and adds the others in the write order.
void TestOptions::ok_writesEveryKeyInPlaceAndInOrder()
{
    MainWindowFixture f;
    f.histories.profiles = { { capture::BrowserFamily::Firefox, "Firefox", "default-esr", "/p/ff" },
                             { capture::BrowserFamily::Chromium, "Brave", "Default", "/p/br" } };
    const std::string head = "[Settings]\r\nHostsFolder=" + f.hostsDir.path() + "\r\n";
    f.programDir.write("Quillon.ini", head + "StartSplash=0\r\n; kept\r\nDDEVerify=1\r\n\r\n[Other]\r\nx=1\r\n");
    ui::TFormMain& w = f.start();
    const std::string before = f.programDir.read("Quillon.ini");

    withOptions(w, [&](ui::TFormOptions& d) {
        QCOMPARE(d.windowTitle(), QStringLiteral("Options"));
        QCOMPARE(control<QTabWidget>(d, "PageControl1")->currentIndex(), 0);
        // The Linux desktop's words for the log-in entry and the tray.
        QCOMPARE(control<QCheckBox>(d, "chkAutoStart")->text(), QStringLiteral("Run at log-in"));
        QCOMPARE(control<QCheckBox>(d, "chkStartTNA")->text(), QStringLiteral("Start minimized in the system tray"));
        QCOMPARE(control<QLabel>(d, "LabelFirefoxProfiles")->text(), QStringLiteral("Found: Firefox (default-esr)"));
        QCOMPARE(control<QLabel>(d, "LabelChromiumProfiles")->text(), QStringLiteral("Found: Brave (Default)"));
        QCOMPARE(control<QLineEdit>(d, "mskAutoSaveCount")->displayText(), QStringLiteral("10_"));
        typeNumber(d, "mskAutoSaveCount", QStringLiteral("12"));
        typeNumber(d, "mskAutoVerifyHostsDays", QStringLiteral("3"));
        typeNumber(d, "mskRefreshAfterHours", QStringLiteral("6"));
        typeNumber(d, "mskAutoVerifyHostsQQDDays", QStringLiteral("999"));
        // As the settings stand: only StartSplash (from the file) and
        // StartTNA, SaveWindow (defaults) are off; no log-on entry.
        for (const char* name : Checks) {
            const bool off = QByteArray(name) == "chkAutoStart" || QByteArray(name) == "chkStartSplash"
                || QByteArray(name) == "chkStartTNA" || QByteArray(name) == "chkSaveWindow";
            QVERIFY2(control<QCheckBox>(d, name)->isChecked() == !off, name);
            control<QCheckBox>(d, name)->click();
        }
        QVERIFY(control<QRadioButton>(d, "optDDEVerifyItem0")->isChecked());
        control<QRadioButton>(d, "optDDEVerifyItem1")->click();
        // A box turned off disables its field; the number is stored still.
        QVERIFY(!control<QLineEdit>(d, "mskAutoSaveCount")->isEnabled());
        control<QPushButton>(d, "ButtonOK")->click();
        QVERIFY(!d.isVisible());
    });

    QCOMPARE(f.programDir.read("Quillon.ini"),
             head
                 + "StartSplash=1\r\n; kept\r\nDDEVerify=0\r\nStartTNA=1\r\nWorkTNA=0\r\nSaveWindow=1\r\n"
                   "DDECaptureIExplore=0\r\nDDECaptureNetscape=0\r\nAutoSave=0\r\nAutoSaveCount=12\r\n"
                   "AutoVerifyHosts=0\r\nAutoVerifyHostsDays=3\r\nAutoVerifyHostsQQD=0\r\n"
                   "AutoVerifyHostsQQDDays=999\r\nCheckOnLine=0\r\nCaptureFirefox=0\r\nCaptureChromium=0\r\n"
                   "RefreshAfterHours=6\r\n\r\n[Other]\r\nx=1\r\n");
    QVERIFY(before != f.programDir.read("Quillon.ini"));
    const core::Settings& s = w.state().settings;
    QVERIFY(s.StartSplash && s.StartTNA && !s.WorkTNA && s.SaveWindow && !s.DDEVerify && !s.AutoSave);
    QCOMPARE(s.AutoVerifyHostsQQDDays, 999);
    QCOMPARE(f.autostart.command(), std::optional(QCoreApplication::applicationFilePath().toStdString()));

    // Opened again, the dialog shows what was stored.
    withOptions(w, [&](ui::TFormOptions& d) {
        QVERIFY(control<QCheckBox>(d, "chkAutoStart")->isChecked());
        QVERIFY(control<QRadioButton>(d, "optDDEVerifyItem1")->isChecked());
        QCOMPARE(control<QLineEdit>(d, "mskAutoSaveCount")->displayText(), QStringLiteral("12_"));
        control<QCheckBox>(d, "chkAutoStart")->click();
        control<QPushButton>(d, "ButtonOK")->click();
    });
    QVERIFY(!f.autostart.command());
}

void TestOptions::numberField_data()
{
    QTest::addColumn<QString>("keys"); // '>' moves right over a position
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("stored");
    QTest::newRow("cleared") << QString() << "1__" << 1;
    QTest::newRow("zero") << "0" << "1__" << 1;
    QTest::newRow("largest") << "999" << "999" << 999;
    QTest::newRow("fourthDigitRefused") << "1234" << "123" << 123;
    QTest::newRow("letters refused") << "a7b" << "7__" << 7;
    QTest::newRow("leadingZeros") << "007" << "7__" << 7;
    QTest::newRow("blankBetweenDigits") << "1>2" << "1__" << 1;
    QTest::newRow("blankFirst") << ">42" << "42_" << 42;
}

void TestOptions::numberField()
{
    QFETCH(QString, keys);
    QFETCH(QString, shown);
    QFETCH(int, stored);
    MainWindowFixture f;
    f.writeSettings();
    ui::TFormMain& w = f.start();
    withOptions(w, [&](ui::TFormOptions& d) {
        typeNumber(d, "mskAutoVerifyHostsDays", keys);
        QCOMPARE(control<QLineEdit>(d, "mskAutoVerifyHostsDays")->displayText(), shown);
        control<QPushButton>(d, "ButtonOK")->click();
    });
    QCOMPARE(w.state().settings.AutoVerifyHostsDays, stored);
}

void TestOptions::cancel_keepsWhatApplyStored()
{
    MainWindowFixture f;
    f.writeSettings();
    ui::TFormMain& w = f.start();
    const std::string before = f.programDir.read("Quillon.ini");
    const core::Settings settings = w.state().settings;
    withOptions(w, [&](ui::TFormOptions& d) {
        typeNumber(d, "mskAutoSaveCount", QStringLiteral("55"));
        for (const char* name : Checks)
            control<QCheckBox>(d, name)->click();
        control<QPushButton>(d, "ButtonCancel")->click();
    });
    QCOMPARE(f.programDir.read("Quillon.ini"), before);
    QVERIFY(w.state().settings == settings);
    QVERIFY(!f.autostart.command());

    withOptions(w, [&](ui::TFormOptions& d) {
        typeNumber(d, "mskAutoSaveCount", QStringLiteral("55"));
        control<QPushButton>(d, "ButtonApply")->click();
        typeNumber(d, "mskAutoSaveCount", QStringLiteral("66"));
        QTest::keyClick(&d, Qt::Key_Escape);
        QVERIFY(!d.isVisible());
    });
    QCOMPARE(w.state().settings.AutoSaveCount, 55);
    QVERIFY(f.programDir.read("Quillon.ini").find("AutoSaveCount=55\r\n") != std::string::npos);
}

void TestOptions::lock_heldWhileOpenAndCaptureTimerFollowsTheBoxes()
{
    MainWindowFixture f;
    f.writeSettings();
    ui::TFormMain& w = f.start();
    QVERIFY(w.timer(core::Timer::DDE)->isActive());
    withOptions(w, [&](ui::TFormOptions& d) {
        QVERIFY(!w.pageControl()->isEnabled());
        QVERIFY(!w.timer(core::Timer::DDE)->isActive());
        QVERIFY(!w.timer(core::Timer::Files)->isActive());
        control<QCheckBox>(d, "chkDDECaptureIExplore")->click();
        control<QCheckBox>(d, "chkDDECaptureNetscape")->click();
        control<QPushButton>(d, "ButtonOK")->click();
    });
    QVERIFY(w.pageControl()->isEnabled());
    QVERIFY(w.timer(core::Timer::Files)->isActive());
    QVERIFY(!w.timer(core::Timer::DDE)->isActive());
}

void TestOptions::failedWrite_okReportsAndStaysOpen()
{
    MainWindowFixture f;
    f.writeSettings();
    ui::TFormMain& w = f.start();
    const std::string ini = f.programDir.file("Quillon.ini");
    f.fs.fail(FaultyFileSystem::Op::Write, ini + ".tmp", ENOSPC);
    f.dialogs.answers = { core::Answer::Ok };
    bool stayed = false;
    withOptions(w, [&](ui::TFormOptions& d) {
        control<QCheckBox>(d, "chkWorkTNA")->click();
        control<QPushButton>(d, "ButtonOK")->click();
        stayed = d.isVisible();
        f.fs.clearFailures();
        control<QPushButton>(d, "ButtonOK")->click();
    });
    QVERIFY(stayed);
    QCOMPARE(f.dialogs.asked.size(), std::size_t(1));
    QCOMPARE(f.dialogs.asked[0].text, "Unable to write to " + ini);
    QVERIFY(f.programDir.read("Quillon.ini").find("WorkTNA=0\r\n") != std::string::npos);
}

QTEST_MAIN(TestOptions)
#include "tst_TFormOptions.moc"
