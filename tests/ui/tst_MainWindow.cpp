#include "MainWindowFixture.h"

#include "core/Interface.h"
#include "core/SaveAll.h"
#include "ui/HostListModel.h"
#include "ui/HostListView.h"
#include "ui/Icons.h"
#include "ui/MainMenu.h"
#include "ui/PageControl.h"
#include "ui/StatusPanels.h"
#include "ui/WindowLayout.h"
#include "ui/WorkPanel.h"
#include "verify/TWinshoeIPWatch.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTimer>

#include <csignal>

using namespace quillon;
using namespace quillon::test;
using core::Answer;

namespace {

std::string hostsLines(int n, const std::string& prefix = "host")
{
    std::string text;
    for (int i = 0; i < n; ++i)
        text += "10.0.0." + std::to_string(i % 250 + 1) + " " + prefix + std::to_string(i) + "\r\n";
    return text;
}

QAction* act(ui::TFormMain& w, const char* name)
{
    return w.mainMenu()->action(QString::fromLatin1(name));
}

QAction* menuAct(ui::TFormMain& w, const char* name)
{
    return w.mainMenu()->menu(QString::fromLatin1(name))->menuAction();
}

void selectRows(ui::HostListView* view, std::initializer_list<int> rows)
{
    view->clearSelection();
    for (int r : rows)
        view->selectionModel()->select(view->model()->index(r, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    void menuTree_captionsNamesAndSeparators();
    void editMenu_rulesPerPageAndSelection();
    void popupMenu_rulesPerPageAndSelection();
    void hostCount_followsThePage();
    void resize_snapsToMinimumAndKeepsPanelsInStep();
    void placement_centredOnlyWithoutBothKeys();
    void placement_savedBoundsAreUsed();
    void lock_switchesTimersWatchMenusAndPages();
    void lock_timerWithIntervalOfZeroOrLess_neverRuns();
    void lock_ddeTimerOnlyWithACaptureSetting();
    void exit_refusedWhileLocked_confirmedOtherwise();
    void startTNA_withTray_windowNeverShown();
    void startTNA_withoutTray_startsMinimised();
    void close_withTray_hidesToTray_openShowsAgain();
    void close_withoutTray_runsExit();
    void minimise_goesToTrayOnlyAfterTrayWasUsed();
    void splash_waitsUpToOneSecond();
    void cancelButton_asksAndSetsTheFlag();
    void saveFailure_keepsCountAndUnlocks();
    void models_passTheModelTester();
    void activity_trayFollowsOnlyWithWorkTNA();
    void activity_lightShowsWhatWasShownBetweenTwoPaints();
    void agedEntry_checkedAndSavedWithoutAVisit();
    void menus_openedForRealApplyTheRules();
    void testMenu_isHiddenAndReportsWhatEachBrowserShows();
    void terminationSignal_savesLikeTheExit();
};

// The hidden diagnostic asks both browsers, without looking for their
// windows, and admits nothing.
void TestMainWindow::testMenu_isHiddenAndReportsWhatEachBrowserShows()
{
    MainWindowFixture f;
    f.writeSettings("StartSplash=0\r\nDDECaptureIExplore=0\r\nDDECaptureNetscape=0\r\n");
    ui::TFormMain& w = f.start();
    QMenu* test = w.mainMenu()->menu(QStringLiteral("MenuTest"));
    QVERIFY(!test->menuAction()->isVisible());
    QCOMPARE(test->menuAction()->text(), QStringLiteral("[ &Test ]"));
    QCOMPARE(act(w, "MenuTestDDE")->text(), QStringLiteral("Test &DDE Browser"));
    f.browsers.dde.servers["iexplore"].reply = [](const std::string&, const std::string&) {
        return std::string("\"http://www.example.org/page\",\"Example\"");
    };
    const int searches = f.browsers.windows.calls;
    act(w, "MenuTestDDE")->trigger();
    QCOMPARE(f.dialogs.askedTexts(), (std::vector<std::string> { "Explorer: www.example.org", "Netscape: " }));
    QCOMPARE(f.browsers.windows.calls, searches);
    QCOMPARE(w.state().store.activeSize(), std::size_t(0));
}

void TestMainWindow::menuTree_captionsNamesAndSeparators()
{
    MainWindowFixture f;
    f.writeSettings();
    ui::TFormMain& w = f.start();
    QStringList top;
    for (QAction* a : w.menuBar()->actions()) {
        if (a->isVisible())
            top << a->text();
    }
    QCOMPARE(top, (QStringList { "&File", "&Edit", "&Verify", "&Tools", "&Import", "&Help" }));

    auto shape = [&](const char* menu) {
        QStringList items;
        for (QAction* a : w.mainMenu()->menu(QString::fromLatin1(menu))->actions())
            items << (a->isSeparator() ? QStringLiteral("-") : a->objectName());
        return items;
    };
    QCOMPARE(shape("MenuFile"), (QStringList { "MenuFileMenuOpen", "-", "MenuFileImportHosts", "MenuFileExportHosts",
                                               "-", "MenuFileSave", "-", "MenuFileUpdates", "-", "MenuFileClose" }));
    QCOMPARE(shape("MenuEdit"),
             (QStringList { "MenuEditEmptyRecycle", "-", "MenuEditMenuAdd", "-", "MenuEditMenuAlias", "MenuEditRestore",
                            "MenuEditDeleteRow", "-", "MenuEditMenuSort", "MenuEditMenuSortDesc", "-",
                            "MenuEditMenuFind", "-", "MenuEditSelectAll", "MenuEditInvertSelection" }));
    QCOMPARE(shape("MenuVerify"), (QStringList { "MenuVerifyVerifySelection", "-", "MenuVerifyVerifyHosts",
                                                 "MenuVerifyVerifyHostsQQD", "-", "MenuVerifyAutoVerifyHosts" }));
    QCOMPARE(shape("MenuTools"), (QStringList { "MenuToolsManualVerify", "-", "MenuToolsIgnoreList", "MenuToolsHostsChanges", "-",
                                                "MenuToolsOptions" }));
    QCOMPARE(shape("MenuImport"), (QStringList { "MenuImportIExplorerCache", "MenuImportIExplorerBookmarks", "-",
                                                 "MenuImportNetscapeCache", "MenuImportNetscapeBookmarks", "-",
                                                 "MenuImportFirefoxHistory", "MenuImportFirefoxBookmarks",
                                                 "MenuImportChromiumHistory", "MenuImportChromiumBookmarks" }));
    QCOMPARE(shape("MenuHelp"), (QStringList { "MenuHelpHelp", "MenuHelpStatusChart", "-", "MenuHelpHomePageProgram",
                                               "MenuHelpHomePageAuthor", "-", "MenuHelpAbout" }));
    QCOMPARE(shape("MenuEditMenuSortDesc"),
             (QStringList { "MenuEditSortDescStatus", "MenuEditSortDescHostname", "MenuEditSortDescAlias",
                            "MenuEditSortDescIP", "MenuEditSortDescDate", "MenuEditSortDescFreq" }));
    QCOMPARE(act(w, "MenuEditSortDate")->text(), QStringLiteral("Last &Verification"));
    QCOMPARE(act(w, "MenuEditAddHost")->text(), QStringLiteral("Add to &Hosts List with verification..."));
    QCOMPARE(act(w, "MenuVerifyVerifyHostsQQD")->text(), QStringLiteral("Complete Verification &Wait List"));
    QCOMPARE(act(w, "MenuHelpHomePageAuthor")->text(), QStringLiteral("&Veltrano Home Page (the maker's web site)"));

    QStringList popup;
    for (QAction* a : w.mainMenu()->popup()->actions())
        popup << (a->isSeparator() ? QStringLiteral("-") : a->objectName());
    QCOMPARE(popup, (QStringList { "MenuPopupVerify", "MenuPopupMenuAlias", "MenuPopupRestore", "MenuPopupDeleteRow",
                                   "-", "MenuPopupEmptyRecycle", "-", "MenuPopupMenuOpen", "-", "MenuPopupMenuFind" }));
    // The same action has the same icon in both menus.
    QCOMPARE(act(w, "MenuPopupDeleteRow")->icon().cacheKey() != 0, true);
    QCOMPARE(act(w, "MenuPopupDeleteRow")->icon().pixmap(16).toImage(),
             act(w, "MenuEditDeleteRow")->icon().pixmap(16).toImage());
    for (QAction* a : w.findChildren<QAction*>())
        QVERIFY2(a->shortcut().isEmpty(), qPrintable(a->objectName()));
}

void TestMainWindow::editMenu_rulesPerPageAndSelection()
{
    MainWindowFixture f;
    f.hostsDir.write("hosts", hostsLines(3));
    f.programDir.write("Quillon.d02", "0 t1\r\n0 t2\r\n");
    f.writeSettings();
    ui::TFormMain& w = f.start();

    w.setCurrentPage(0);
    selectRows(w.listView(0), { 1 });
    w.MenuEditClick();
    QVERIFY(!act(w, "MenuEditEmptyRecycle")->isVisible());
    QVERIFY(!act(w, "MenuEditRestore")->isVisible());
    QVERIFY(menuAct(w, "MenuEditMenuAlias")->isEnabled());
    QVERIFY(act(w, "MenuEditEditAlias")->isEnabled());
    QVERIFY(act(w, "MenuEditDeleteRow")->isEnabled());
    QVERIFY(menuAct(w, "MenuEditMenuSort")->isEnabled());
    w.MenuFileClick();
    QVERIFY(menuAct(w, "MenuFileMenuOpen")->isEnabled());
    QVERIFY(act(w, "MenuFileExportHosts")->isEnabled());

    selectRows(w.listView(0), { 0, 2 });
    w.MenuEditClick();
    QVERIFY(!act(w, "MenuEditEditAlias")->isEnabled());
    QVERIFY(act(w, "MenuEditDeleteAlias")->isEnabled());
    w.MenuFileClick();
    QVERIFY(!menuAct(w, "MenuFileMenuOpen")->isEnabled());
    w.MenuVerifyClick();
    QVERIFY(act(w, "MenuVerifyVerifySelection")->isEnabled());

    w.setCurrentPage(1); // the Wait list is empty
    w.MenuEditClick();
    QVERIFY(!act(w, "MenuEditDeleteRow")->isEnabled());
    QVERIFY(!menuAct(w, "MenuEditMenuSort")->isEnabled());
    QVERIFY(!menuAct(w, "MenuEditMenuFind")->isEnabled());
    QVERIFY(!act(w, "MenuEditSelectAll")->isEnabled());
    w.MenuVerifyClick();
    QVERIFY(!act(w, "MenuVerifyVerifySelection")->isEnabled());

    w.setCurrentPage(2);
    w.MenuEditClick();
    QVERIFY(act(w, "MenuEditEmptyRecycle")->isVisible());
    QVERIFY(act(w, "MenuEditEmptyRecycle")->isEnabled());
    QVERIFY(act(w, "MenuEditRestore")->isVisible());
    QVERIFY(!act(w, "MenuEditRestore")->isEnabled());
    QVERIFY(!menuAct(w, "MenuEditMenuAlias")->isEnabled());
    selectRows(w.listView(2), { 0 });
    w.MenuEditClick();
    QVERIFY(act(w, "MenuEditRestore")->isEnabled());
}

void TestMainWindow::popupMenu_rulesPerPageAndSelection()
{
    MainWindowFixture f;
    f.programDir.write("Quillon.d01", "0 w1\r\n0 w2\r\n");
    f.writeSettings();
    ui::TFormMain& w = f.start();
    w.setCurrentPage(1);
    selectRows(w.listView(1), { 1 });
    w.PopupMenu1Popup(QPoint(10, 10));
    QMenu* popup = w.mainMenu()->popup();
    auto visible = [&](const char* name) { return act(w, name)->isVisible(); };
    QVERIFY(visible("MenuPopupVerify"));
    QVERIFY(menuAct(w, "MenuPopupMenuAlias")->isVisible());
    QVERIFY(visible("MenuPopupDeleteRow"));
    QVERIFY(menuAct(w, "MenuPopupMenuOpen")->isVisible());
    QVERIFY(menuAct(w, "MenuPopupMenuFind")->isVisible());
    QVERIFY(!visible("MenuPopupRestore"));
    QVERIFY(!visible("MenuPopupEmptyRecycle"));
    popup->hide();

    // Locked: no pop-up at all.
    core::setInterfaceLock(w.app(), false);
    w.PopupMenu1Popup(QPoint(10, 10));
    QVERIFY(!popup->isVisible());
    core::setInterfaceLock(w.app(), true);
}

void TestMainWindow::hostCount_followsThePage()
{
    MainWindowFixture f;
    f.hostsDir.write("hosts", hostsLines(2));
    f.programDir.write("Quillon.d02", "0 t1\r\n");
    f.writeSettings();
    ui::TFormMain& w = f.start();
    QCOMPARE(w.statusPanels()->panelText(0), QStringLiteral("Hosts: 2"));
    w.pageControl()->setCurrentIndex(1);
    QCOMPARE(w.statusPanels()->panelText(0), QStringLiteral("No Hosts"));
    w.pageControl()->setCurrentIndex(2);
    QCOMPARE(w.statusPanels()->panelText(0), QStringLiteral("Hosts: 1"));
    QCOMPARE(w.statusPanels()->panelText(1), QStringLiteral("Current Host: (not available)"));
    QCOMPARE(w.statusPanels()->panelText(2), QStringLiteral("Current IP: (not available)"));
}

void TestMainWindow::resize_snapsToMinimumAndKeepsPanelsInStep()
{
    MainWindowFixture f;
    f.writeSettings();
    ui::TFormMain& w = f.start();
    w.resize(300, 200);
    QCoreApplication::processEvents();
    QVERIFY(w.width() >= ui::layout::MinWidth);
    QVERIFY(w.height() >= ui::layout::MinHeight);
    for (const int width : { 650, 900 }) {
        w.resize(width, 480);
        QCoreApplication::processEvents();
        QCOMPARE(w.statusPanels()->panelWidth(1), ui::layout::statusPanel1Width(width));
        QCOMPARE(w.pageControl()->tabWidth(), ui::layout::tabWidth(w.pageControl()->width()));
        const QWidget* client = w.centralWidget();
        QCOMPARE(w.workPanel()->x(), (client->width() - 295) / 2);
        QCOMPARE(w.workPanel()->y(), (client->height() - 120) / 2);
    }
    QCOMPARE(ui::layout::statusPanel1Width(650), 296);
    QCOMPARE(ui::layout::tabWidth(642), 209);
}

void TestMainWindow::placement_centredOnlyWithoutBothKeys()
{
    MainWindowFixture f;
    f.writeSettings("StartSplash=0\r\nWindowHeight=400\r\nWindowWidth=600\r\n");
    ui::TFormMain& w = f.start();
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QCOMPARE(w.frameGeometry().top(), (screen.height() - 400) / 2);
    QCOMPARE(w.frameGeometry().left(), (screen.width() - 600) / 2);

    MainWindowFixture g;
    g.writeSettings("StartSplash=0\r\nWindowTop=40\r\n");
    ui::TFormMain& v = g.start();
    QCOMPARE(v.frameGeometry().top(), 40);
    QCOMPARE(v.frameGeometry().left(), -10000);
}

void TestMainWindow::placement_savedBoundsAreUsed()
{
    MainWindowFixture f;
    f.writeSettings("StartSplash=0\r\nWindowTop=30\r\nWindowLeft=20\r\nWindowHeight=500\r\nWindowWidth=700\r\n"
                    "SaveWindow=1\r\n");
    ui::TFormMain& w = f.start();
    QCOMPARE(w.size(), QSize(700, 500));
    f.dialogs.answers = { Answer::Yes };
    w.MenuTNAExitClick();
    QVERIFY(w.exited());
    const std::string ini = f.programDir.read("Quillon.ini");
    QVERIFY(ini.find("WindowMax=0") != std::string::npos);
    QVERIFY(ini.find("WindowWidth=700") != std::string::npos);
}

void TestMainWindow::lock_switchesTimersWatchMenusAndPages()
{
    MainWindowFixture f;
    f.writeSettings("StartSplash=0\r\nFilesTimerInterval=2500\r\n");
    ui::TFormMain& w = f.start();
    QVERIFY(w.connectionWatchTimer()->isActive());
    QCOMPARE(w.connectionWatchTimer()->interval(), 1000);
    QCOMPARE(w.timer(core::Timer::Files)->interval(), 2500);
    QCOMPARE(w.timer(core::Timer::DDE)->interval(), 500);
    QCOMPARE(w.timer(core::Timer::Check)->interval(), 5000);
    QCOMPARE(w.timer(core::Timer::History)->interval(), 2000);
    QVERIFY(w.timer(core::Timer::Files)->isActive());

    core::setInterfaceLock(w.app(), false);
    for (auto t : { core::Timer::DDE, core::Timer::Files, core::Timer::Check, core::Timer::History })
        QVERIFY(!w.timer(t)->isActive());
    for (QMenu* m : w.mainMenu()->topLevelMenus())
        QVERIFY(!m->menuAction()->isEnabled());
    QVERIFY(!w.pageControl()->isEnabled());
    QVERIFY(!w.connectionWatchTimer()->isActive());

    core::setInterfaceLock(w.app(), true);
    for (auto t : { core::Timer::DDE, core::Timer::Files, core::Timer::Check, core::Timer::History })
        QVERIFY(w.timer(t)->isActive());
    for (QMenu* m : w.mainMenu()->topLevelMenus()) // a hidden menu is never enabled
        QVERIFY(m->menuAction()->isEnabled() || !m->menuAction()->isVisible());
    QVERIFY(w.pageControl()->isEnabled());
    QVERIFY(w.connectionWatchTimer()->isActive());
}

void TestMainWindow::lock_timerWithIntervalOfZeroOrLess_neverRuns()
{
    // Set by hand in the settings file; running, such a timer would fire
    // without pause and hold a core busy.
    MainWindowFixture f;
    f.writeSettings("StartSplash=0\r\nFilesTimerInterval=0\r\nCheckTimerInterval=-5\r\n");
    ui::TFormMain& w = f.start();
    QVERIFY(!w.timer(core::Timer::Files)->isActive());
    QVERIFY(!w.timer(core::Timer::Check)->isActive());
    QVERIFY(w.timer(core::Timer::DDE)->isActive());
    w.setTimerEnabled(core::Timer::Files, true);
    QVERIFY(!w.timer(core::Timer::Files)->isActive());
}

void TestMainWindow::lock_ddeTimerOnlyWithACaptureSetting()
{
    MainWindowFixture f;
    f.writeSettings("StartSplash=0\r\nDDECaptureIExplore=0\r\nDDECaptureNetscape=0\r\n");
    ui::TFormMain& w = f.start();
    QVERIFY(!w.timer(core::Timer::DDE)->isActive());
    QVERIFY(w.timer(core::Timer::Files)->isActive());
    QVERIFY(w.timer(core::Timer::Check)->isActive());
}

void TestMainWindow::exit_refusedWhileLocked_confirmedOtherwise()
{
    MainWindowFixture f;
    f.writeSettings();
    ui::TFormMain& w = f.start();
    core::setInterfaceLock(w.app(), false);
    w.MenuTNAExitClick();
    QCOMPARE(f.dialogs.asked.size(), std::size_t(1));
    QCOMPARE(f.dialogs.asked[0].kind, core::MessageKind::Warning);
    QVERIFY(f.dialogs.asked[0].text.rfind("WARNING! Verification in progress!", 0) == 0);
    QVERIFY(!w.exited());
    QVERIFY(w.tray()->openAction()->isEnabled());
    core::setInterfaceLock(w.app(), true);

    f.dialogs.answers = { Answer::No };
    w.MenuTNAExitClick();
    QCOMPARE(f.dialogs.asked.back().text, std::string("Exit Quillon ?"));
    QCOMPARE(f.dialogs.asked.back().kind, core::MessageKind::QuestionDefaultNo);
    QVERIFY(!w.exited());

    f.hostsDir.write("hosts", "1.2.3.4 kept\r\n");
    f.dialogs.answers = { Answer::Yes };
    w.MenuTNAExitClick();
    QVERIFY(w.exited());
    QVERIFY(f.hostsDir.exists("hosts"));
    QVERIFY(f.programDir.exists("Quillon.d01")); // the exit saved all
}

void TestMainWindow::startTNA_withTray_windowNeverShown()
{
    MainWindowFixture f;
    f.writeSettings("StartSplash=0\r\nStartTNA=1\r\n");
    ui::TFormMain& w = f.start(true);
    QVERIFY(!w.isVisible());
    QVERIFY(w.tray()->isActive());
    emit w.tray()->openRequested();
    QVERIFY(w.isVisible());
    QVERIFY(!w.tray()->isActive());
}

void TestMainWindow::startTNA_withoutTray_startsMinimised()
{
    MainWindowFixture f;
    f.writeSettings("StartSplash=0\r\nStartTNA=1\r\n");
    ui::TFormMain& w = f.start(false);
    QVERIFY(w.isMinimized());
}

void TestMainWindow::close_withTray_hidesToTray_openShowsAgain()
{
    MainWindowFixture f;
    f.writeSettings();
    ui::TFormMain& w = f.start(true);
    QVERIFY(w.isVisible());
    QVERIFY(!w.tray()->isActive());
    act(w, "MenuFileClose")->trigger();
    QVERIFY(!w.isVisible());
    QVERIFY(w.tray()->isActive());
    QVERIFY(!w.exited());
    w.MenuTNAOpenClick();
    QVERIFY(w.isVisible());
    QVERIFY(!w.tray()->isActive());
}

void TestMainWindow::close_withoutTray_runsExit()
{
    MainWindowFixture f;
    f.writeSettings();
    ui::TFormMain& w = f.start(false);
    f.dialogs.answers = { Answer::No };
    w.close();
    QCOMPARE(f.dialogs.askedTexts(), (std::vector<std::string> { "Exit Quillon ?" }));
    QVERIFY(w.isVisible());
    f.dialogs.answers = { Answer::Yes };
    w.close();
    QVERIFY(w.exited());
}

void TestMainWindow::minimise_goesToTrayOnlyAfterTrayWasUsed()
{
    MainWindowFixture f;
    f.writeSettings();
    ui::TFormMain& w = f.start(true);
    w.showMinimized();
    QTest::qWait(20);
    QVERIFY(!w.tray()->isActive()); // first minimise: the taskbar
    w.showNormal();
    w.close(); // to the tray once
    w.MenuTNAOpenClick();
    w.showMinimized();
    QTRY_VERIFY(w.tray()->isActive());
    QVERIFY(!w.isVisible());
}

void TestMainWindow::splash_waitsUpToOneSecond()
{
    MainWindowFixture f;
    f.writeSettings("StartSplash=1\r\n");
    f.clock.ticks = 5000;
    f.start();
    QCOMPARE(f.sleeps, (std::vector<int> { 1000 })); // the set clock did not move: a full second

    MainWindowFixture g;
    g.writeSettings("StartSplash=0\r\n");
    g.start();
    QVERIFY(g.sleeps.empty());
}

void TestMainWindow::cancelButton_asksAndSetsTheFlag()
{
    MainWindowFixture f;
    f.writeSettings();
    ui::TFormMain& w = f.start();
    f.dialogs.answers = { Answer::No, Answer::Yes };
    w.WorkButtonCancelClick();
    QVERIFY(!w.state().cancel);
    w.WorkButtonCancelClick();
    QVERIFY(w.state().cancel);
    QCOMPARE(f.dialogs.asked[0].text, std::string("Abort operation ?"));
    QCOMPARE(f.dialogs.asked[0].kind, core::MessageKind::QuestionDefaultNo);
}

void TestMainWindow::saveFailure_keepsCountAndUnlocks()
{
    MainWindowFixture f;
    f.writeSettings();
    ui::TFormMain& w = f.start();
    auto r = std::make_unique<core::TRecHost>();
    r->HostName = "pending";
    r->Status = core::StatusVerified;
    w.state().store.insertTopOfHosts(std::move(r));
    // The hosts path becomes a folder: the replace must fail.
    QDir().mkpath(QString::fromStdString(f.hostsDir.file("hosts")));
    act(w, "MenuFileSave")->trigger();
    QCOMPARE(f.dialogs.asked.size(), std::size_t(1));
    QVERIFY(f.dialogs.asked[0].text.find("Cannot replace file") != std::string::npos);
    QCOMPARE(w.state().store.pendingChanges(), 1);
    QCOMPARE(w.state().activity, int(core::ActivityNone));
    QVERIFY(w.pageControl()->isEnabled());
}

void TestMainWindow::models_passTheModelTester()
{
    MainWindowFixture f;
    f.hostsDir.write("hosts", hostsLines(5));
    f.programDir.write("Quillon.d01", "0 w1\r\n0 w2\r\n");
    f.writeSettings();
    ui::TFormMain& w = f.start();
    std::vector<std::unique_ptr<QAbstractItemModelTester>> testers;
    for (int p = 0; p < 3; ++p)
        testers.push_back(std::make_unique<QAbstractItemModelTester>(
            w.listModel(p), QAbstractItemModelTester::FailureReportingMode::QtTest));
    core::HostStore& store = w.state().store;
    store.moveRowsToTrash(core::ListPage::Hosts, { 1, 3 });
    store.moveRowsToTrash(core::ListPage::Wait, { 0 });
    store.restoreMove(0);
    store.setAlias(core::ListPage::Hosts, 0, "alias");
    store.deleteTrashRows({ 0 });
    core::saveAndRefresh(w.app());
    store.emptyTrash();
    QCOMPARE(w.listModel(0)->rowCount(), int(store.hosts().size()));
    QCOMPARE(w.listModel(0)->cellText(0, ui::HostListModel::ColumnAlias), QStringLiteral("alias"));
    QCOMPARE(w.listModel(1)->rowCount(), 2); // w1 went to the Trash and came back
    QCOMPARE(w.listModel(2)->rowCount(), 0);
    QCOMPARE(w.listModel(2)->headerData(0, Qt::Horizontal).toString(), QStringLiteral(" "));
    QCOMPARE(w.listModel(0)->headerData(4, Qt::Horizontal).toString(), QStringLiteral("Last Verification"));
    QCOMPARE(w.listModel(1)->data(w.listModel(1)->index(0, 1), Qt::ForegroundRole).value<QColor>(),
             QColor(0, 0, 128));
}

void TestMainWindow::activity_trayFollowsOnlyWithWorkTNA()
{
    MainWindowFixture f;
    f.writeSettings();
    ui::TFormMain& w = f.start();
    const auto image = [&] { return w.tray()->image().pixmap(32).toImage(); };
    const QImage idle = image();
    core::setActivityIndicator(w.app(), core::ActivityVerifying);
    QCOMPARE(image(), ui::icons::trayIcon(1).pixmap(32).toImage());
    core::setActivityIndicator(w.app(), core::ActivityNone);
    QCOMPARE(image(), idle);

    w.state().settings.WorkTNA = false;
    core::setActivityIndicator(w.app(), core::ActivitySaving);
    QCOMPARE(image(), idle);
    QCOMPARE(w.state().activity, int(core::ActivitySaving));
}

// A run turns the light on and off for every host, many times between two
// paints: the next paint shows that it was on, the one after shows the state.
void TestMainWindow::activity_lightShowsWhatWasShownBetweenTwoPaints()
{
    MainWindowFixture f;
    f.writeSettings();
    ui::TFormMain& w = f.start();
    QWidget* light = w.statusPanels()->light();
    const QImage idle = light->grab().toImage();
    core::setActivityIndicator(w.app(), core::ActivityVerifying);
    const QImage verifying = light->grab().toImage();
    QVERIFY(verifying != idle);
    core::setActivityIndicator(w.app(), core::ActivityVerifying);
    core::setActivityIndicator(w.app(), core::ActivityNone);
    QCOMPARE(light->grab().toImage(), verifying);
    QCOMPARE(light->grab().toImage(), idle);
}

// Nobody visits the host: the window's own sweep asks for it, takes its new
// address and AutoSave writes it.
void TestMainWindow::agedEntry_checkedAndSavedWithoutAVisit()
{
    MainWindowFixture f;
    f.writeSettings("StartSplash=0\r\nCheckOnLine=0\r\nFilesTimerInterval=50\r\n");
    f.hostsDir.write("hosts", "5.5.5.5 moved.example  #Quillon|2024/06/13|12.00.00|1|4#\r\n"
                              "6.6.6.6 recent.example  #Quillon|2024/06/15|11.00.00|1|4#\r\n");
    f.dns->table["moved.example"] = { { 9, 9, 9, 9 } };
    ui::TFormMain& w = f.start();
    w.findChild<QTimer*>(QStringLiteral("TimerRefresh"))->start(0); // not the start's wait
    QTRY_VERIFY_WITH_TIMEOUT(f.hostsDir.read("hosts").find("9.9.9.9 moved.example ") != std::string::npos, 60000);
    QCOMPARE(f.dns->asked, std::vector<std::string> { "moved.example" });
}

void TestMainWindow::menus_openedForRealApplyTheRules()
{
    MainWindowFixture f;
    f.programDir.write("Quillon.d02", "0 t1\r\n");
    f.writeSettings();
    ui::TFormMain& w = f.start();
    w.setCurrentPage(2);
    QMenu* edit = w.mainMenu()->menu(QStringLiteral("MenuEdit"));
    edit->popup(w.mapToGlobal(QPoint(40, 20)));
    QTRY_VERIFY(edit->isVisible());
    QVERIFY(act(w, "MenuEditEmptyRecycle")->isVisible());
    QVERIFY(act(w, "MenuEditEmptyRecycle")->isEnabled());
    edit->hide();
    w.setCurrentPage(0);
    edit->popup(w.mapToGlobal(QPoint(40, 20)));
    QTRY_VERIFY(edit->isVisible());
    QVERIFY(!act(w, "MenuEditEmptyRecycle")->isVisible());
    QVERIFY(!act(w, "MenuEditDeleteRow")->isEnabled());
    edit->hide();
}

void TestMainWindow::terminationSignal_savesLikeTheExit()
{
    MainWindowFixture f;
    f.writeSettings();
    ui::TFormMain& w = f.start();
    auto r = std::make_unique<core::TRecHost>();
    r->HostName = "unsaved.example";
    r->Status = core::StatusVerified;
    w.state().store.insertTopOfHosts(std::move(r));
    ::raise(SIGTERM);
    QTRY_VERIFY(w.exited());
    QVERIFY(f.hostsDir.read("hosts").find("unsaved.example") != std::string::npos);
    QVERIFY(f.dialogs.asked.empty()); // no question when the system ends the program
}

QTEST_MAIN(TestMainWindow)
#include "tst_MainWindow.moc"
