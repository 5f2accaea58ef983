// What a window manager shows of the program's windows: the captions,
// exactly as the program gives them, and the buttons of its dialogs' title
// bars. Runs on a private X server with openbox (run-under-wm.sh) and reads
// the windows' properties as the window manager does, with xprop.

#include "ui/ApplicationSetup.h"
#include "ui/MessageBoxes.h"
#include "ui/MainWindowFixture.h"
#include "ui/ModalAnswer.h"
#include "ui/TrayIcon.h"

#include <QAction>
#include <QMessageBox>
#include <QProcess>

using namespace quillon;
using namespace quillon::test;

namespace {

// One property of a window as xprop prints it, without its name.
QString property(const QWidget* window, const char* name)
{
    QProcess xprop;
    xprop.start(QStringLiteral("xprop"), { QStringLiteral("-notype"), QStringLiteral("-id"),
                                           QString::number(window->winId()), QString::fromLatin1(name) });
    xprop.waitForFinished(5000);
    const QString out = QString::fromUtf8(xprop.readAllStandardOutput()).trimmed();
    const int equals = out.indexOf(QLatin1String(" = "));
    return equals < 0 ? QString() : out.mid(equals + 3);
}

// The title the window manager shows.
QString shownTitle(const QWidget* window)
{
    QString title = property(window, "_NET_WM_NAME");
    if (title.startsWith(QLatin1Char('"')) && title.endsWith(QLatin1Char('"')))
        title = title.mid(1, title.size() - 2);
    return title;
}

// The title-bar buttons the Motif hints allow: functions and decorations.
struct TitleButtons {
    bool minimize = true;
    bool maximize = true;
    bool close = true;
};

TitleButtons titleButtons(const QWidget* window)
{
    // flags, functions, decorations, input mode, status. Without the hints,
    // or with MWM_FUNC_ALL / MWM_DECOR_ALL, the window manager gives all.
    const QStringList fields = property(window, "_MOTIF_WM_HINTS").split(QLatin1String(", "));
    TitleButtons b;
    if (fields.size() < 3)
        return b;
    bool ok = false;
    const unsigned flags = fields[0].toUInt(&ok, 16);
    const unsigned functions = fields[1].toUInt(&ok, 16);
    const unsigned decorations = fields[2].toUInt(&ok, 16);
    const bool allFunctions = !(flags & 1) || (functions & 1);
    const bool allDecorations = !(flags & 2) || (decorations & 1);
    b.minimize = (allFunctions || (functions & 8)) && (allDecorations || (decorations & 32));
    b.maximize = (allFunctions || (functions & 16)) && (allDecorations || (decorations & 64));
    b.close = allFunctions || (functions & 32);
    return b;
}

// What the window manager lets a person do with the window.
QString allowedActions(const QWidget* window)
{
    return property(window, "_NET_WM_ALLOWED_ACTIONS");
}

QAction* action(ui::TFormMain& w, const char* name)
{
    return w.findChild<QAction*>(QString::fromLatin1(name));
}

} // namespace

class TestWindowManager : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void captionsAndTitleButtons_asTheProgramGivesThem();
    void inputDialogAndPrompt_standAtTheSamePlaceEveryTime();
};

void TestWindowManager::initTestCase()
{
    ui::setUpApplication();
}

void TestWindowManager::captionsAndTitleButtons_asTheProgramGivesThem()
{
    MainWindowFixture f;
    f.writeSettings("StartSplash=0\r\nCheckOnLine=0\r\n");
    f.hostsDir.write("hosts", "1.1.1.1 h1\r\n");
    f.programDir.write("Quillon.d01", "0 waiting.example\r\n");
    ui::TFormMain& w = f.start(true, true);
    QTRY_COMPARE(shownTitle(&w), QStringLiteral("Quillon"));

    // The input dialog: its caption, and a close box only.
    whenModal([](QWidget* dialog) {
        QCOMPARE(shownTitle(dialog), QStringLiteral("Find Host name"));
        const TitleButtons b = titleButtons(dialog);
        QVERIFY(!b.minimize && !b.maximize && b.close);
        child<QPushButton>(dialog, "ButtonCancel")->click();
    });
    action(w, "MenuEditFindHost")->trigger();

    // The Ignore list window: the system menu and the close box.
    whenModal([](QWidget* window) {
        QCOMPARE(shownTitle(window), QStringLiteral("Hosts to be Ignored"));
        const TitleButtons b = titleButtons(window);
        QVERIFY(!b.minimize && !b.maximize && b.close);
        window->close();
    });
    action(w, "MenuToolsIgnoreList")->trigger();

    // Options, the changes window, Legend and About: their captions, and a
    // close box only.
    for (const auto& [item, title] : { std::pair { "MenuToolsOptions", "Options" },
                                       std::pair { "MenuToolsHostsChanges", "Hosts File Changes" },
                                       std::pair { "MenuHelpStatusChart", "Legend" },
                                       std::pair { "MenuHelpAbout", "About Quillon" } }) {
        whenModal([t = QString::fromLatin1(title)](QWidget* window) {
            QTRY_COMPARE(shownTitle(window), t);
            const TitleButtons b = titleButtons(window);
            QVERIFY(!b.minimize && !b.maximize && b.close);
            window->close();
        });
        action(w, item)->trigger();
    }

    // A Yes/No box: answered by its buttons only.
    whenModal([](QWidget* box) {
        QCOMPARE(shownTitle(box), QStringLiteral("Quillon"));
        const TitleButtons b = titleButtons(box);
        QVERIFY(!b.minimize && !b.maximize && !b.close);
        // Of one size: the window manager itself offers no maximizing.
        QTRY_VERIFY(allowedActions(box).contains(QLatin1String("MOVE")));
        QVERIFY(!allowedActions(box).contains(QLatin1String("MAXIMIZE")));
        qobject_cast<QMessageBox*>(box)->button(QMessageBox::No)->click();
    });
    w.MenuTNAExitClick();

    // The other message boxes: a close box, nothing to minimize or maximize.
    for (const core::MessageKind kind :
         { core::MessageKind::Information, core::MessageKind::Warning, core::MessageKind::ThreeWayDefaultNo }) {
        whenModal([](QWidget* box) {
            QCOMPARE(shownTitle(box), QStringLiteral("Quillon"));
            const TitleButtons b = titleButtons(box);
            QVERIFY(!b.minimize && !b.maximize && b.close);
            QTRY_VERIFY(allowedActions(box).contains(QLatin1String("MOVE")));
            QVERIFY(!allowedActions(box).contains(QLatin1String("MAXIMIZE")));
            qobject_cast<QMessageBox*>(box)->buttons().constFirst()->click();
        });
        ui::showMessage(&w, QStringLiteral("A message"), kind);
    }

    // The unverifiable-host prompt: no title-bar buttons at all.
    whenModal([](QWidget* prompt) {
        QCOMPARE(shownTitle(prompt), QStringLiteral("Quillon"));
        const TitleButtons b = titleButtons(prompt);
        QVERIFY(!b.minimize && !b.maximize && !b.close);
        child<QPushButton>(prompt, "Button2")->click();
    });
    action(w, "MenuVerifyVerifyHostsQQD")->trigger();
    QCOMPARE(w.state().store.wait().size(), std::size_t(1));
}

// Where the window manager shows a dialog, once it has placed it.
QPoint shownAt(QWidget* dialog)
{
    QTest::qWait(300);
    return dialog->geometry().topLeft();
}

void TestWindowManager::inputDialogAndPrompt_standAtTheSamePlaceEveryTime()
{
    MainWindowFixture f;
    f.writeSettings("StartSplash=0\r\nCheckOnLine=0\r\n");
    f.programDir.write("Quillon.d01", "0 waiting.example\r\n");
    ui::TFormMain& w = f.start(true, true);
    QTRY_COMPARE(shownTitle(&w), QStringLiteral("Quillon"));
    // As a person meets it: the window manager has framed the main window.
    QTRY_VERIFY(w.frameGeometry() != w.geometry());

    std::vector<QPoint> input;
    for (int i = 0; i < 3; ++i) {
        whenModal([&](QWidget* dialog) {
            input.push_back(shownAt(dialog));
            child<QPushButton>(dialog, "ButtonCancel")->click();
        });
        action(w, "MenuEditFindHost")->trigger();
    }
    QCOMPARE(input.size(), std::size_t(3));
    QCOMPARE(input[1], input[0]);
    QCOMPARE(input[2], input[0]);

    std::vector<QPoint> prompt;
    for (int i = 0; i < 2; ++i) {
        whenModal([&](QWidget* dialog) {
            prompt.push_back(shownAt(dialog));
            child<QPushButton>(dialog, "Button2")->click(); // Wait
        });
        action(w, "MenuVerifyVerifyHostsQQD")->trigger();
    }
    QCOMPARE(prompt.size(), std::size_t(2));
    QCOMPARE(prompt[1], prompt[0]);
}

QTEST_MAIN(TestWindowManager)
#include "tst_WindowManager.moc"
