// The main window as a person uses it: the lists' pop-up menu, Find and the
// selection that follows it, sorting, columns that fit what they show, the
// status bar at the smallest window size, and the maximized state of a
// window that starts in the tray.

#include "MainWindowFixture.h"

#include "ui/HostListModel.h"
#include "ui/HostListView.h"
#include "ui/MainMenu.h"
#include "ui/StatusPanels.h"
#include "ui/WindowLayout.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMenu>

using namespace quillon;
using namespace quillon::test;

namespace {

// A right-click on the list, as the window system delivers it.
void rightClick(ui::HostListView* view)
{
    const QPoint pos(5, 5);
    QContextMenuEvent event(QContextMenuEvent::Mouse, pos, view->viewport()->mapToGlobal(pos));
    QApplication::sendEvent(view->viewport(), &event);
}

void selectRow(ui::HostListView* view, int row)
{
    view->selectionModel()->setCurrentIndex(view->model()->index(row, 1),
                                            QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

std::unique_ptr<core::TRecHost> record(const std::string& name, int status)
{
    auto r = std::make_unique<core::TRecHost>();
    r->HostName = name;
    r->Status = status;
    r->IP = status == core::StatusWaiting ? "" : "10.0.0.1";
    return r;
}

} // namespace

class TestWindowAsUsed : public QObject {
    Q_OBJECT

private slots:
    void popup_onAnEmptyList_opensNothing_andTheNextStillOpens();
    void find_makesTheFoundRowCurrent_soShiftClickExtendsFromIt();
    void sort_dropsTheSelectionsOfBothHostPages();
    void columns_fitRowsAddedToAnEmptyList_andPagesShownAfterAChange();
    void statusBar_allFivePanelsShowAtTheSmallestWindow();
    void windowMax_ofAWindowThatNeverShowed_isKept();
};

void TestWindowAsUsed::popup_onAnEmptyList_opensNothing_andTheNextStillOpens()
{
    MainWindowFixture f;
    f.hostsDir.write("hosts", "1.1.1.1 h1\r\n1.1.1.2 h2\r\n");
    f.writeSettings();
    ui::TFormMain& w = f.start();
    QMenu* popup = w.mainMenu()->popup();

    w.setCurrentPage(1); // the Wait list of a new user: empty
    rightClick(w.listView(1));
    QVERIFY(!popup->isVisible());

    w.setCurrentPage(0);
    selectRow(w.listView(0), 0);
    rightClick(w.listView(0));
    QTRY_VERIFY(popup->isVisible());
    // Two separators in a row stay two: "&Empty Trash" between them is hidden.
    int separatorsShown = 0;
    for (QAction* a : popup->actions())
        separatorsShown += a->isSeparator() && !popup->actionGeometry(a).isEmpty();
    QCOMPARE(separatorsShown, 3);
    popup->hide();
}

void TestWindowAsUsed::find_makesTheFoundRowCurrent_soShiftClickExtendsFromIt()
{
    MainWindowFixture f;
    std::string hosts;
    for (int i = 0; i < 12; ++i)
        hosts += "1.1.1.1 host" + std::to_string(i) + "\r\n";
    f.hostsDir.write("hosts", hosts);
    f.writeSettings();
    ui::TFormMain& w = f.start();
    ui::HostListView* view = w.listView(0);
    selectRow(view, 2);
    f.dialogs.inputSteps = { { true, "host7" } };
    w.mainMenu()->action(QStringLiteral("MenuEditFindHost"))->trigger();
    QCOMPARE(view->currentIndex().row(), 7);
    const QRect nine = view->visualRect(view->model()->index(9, 1));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::ShiftModifier, nine.center());
    QCOMPARE(view->selectedRowNumbers(), (std::vector<int> { 7, 8, 9 }));
}

void TestWindowAsUsed::sort_dropsTheSelectionsOfBothHostPages()
{
    MainWindowFixture f;
    f.hostsDir.write("hosts", "1.1.1.2 b\r\n1.1.1.1 a\r\n");
    f.programDir.write("Quillon.d01", "0 w2\r\n0 w1\r\n");
    f.writeSettings();
    ui::TFormMain& w = f.start();
    selectRow(w.listView(0), 1);
    selectRow(w.listView(1), 0);
    w.mainMenu()->action(QStringLiteral("MenuEditSortHostname"))->trigger();
    QCOMPARE(w.listModel(0)->cellText(0, ui::HostListModel::ColumnHostName), QStringLiteral("a"));
    QCOMPARE(w.listView(0)->selectedRowCount(), 0);
    QCOMPARE(w.listView(1)->selectedRowCount(), 0);
}

void TestWindowAsUsed::columns_fitRowsAddedToAnEmptyList_andPagesShownAfterAChange()
{
    MainWindowFixture f;
    f.hostsDir.write("hosts", "1.1.1.1 h1\r\n");
    f.programDir.write("Quillon.d02", "1.1.1.9 t1  #Quillon|1899/12/30|00.00.00|1|0#\r\n");
    f.writeSettings();
    ui::TFormMain& w = f.start();
    QCOMPARE(w.listView(0)->columnWidth(0), 20);

    const std::string longName = "a.stat.xiaomi-cloud-services.example.com";
    w.setCurrentPage(1);
    w.state().store.insertTopOfWait(record(longName, core::StatusWaiting));
    const QFontMetrics fm = w.listView(1)->fontMetrics();
    QVERIFY(w.listView(1)->columnWidth(1) > fm.horizontalAdvance(QString::fromStdString(longName)));

    // The Trash, not empty, changes while another page shows: fitted when it
    // is shown.
    auto trashed = record("files.printer-and-scanner-sharing.example", core::StatusSaved);
    trashed->Alias = "files print scan share";
    w.state().store.insertTopOfTrash(std::move(trashed));
    w.setCurrentPage(2);
    QVERIFY(w.listView(2)->columnWidth(1) > fm.horizontalAdvance(QStringLiteral("files.printer-and-scanner-sharing.example")));
    QVERIFY(w.listView(2)->columnWidth(2) > fm.horizontalAdvance(QStringLiteral("files print scan share")));
}

void TestWindowAsUsed::statusBar_allFivePanelsShowAtTheSmallestWindow()
{
    MainWindowFixture f;
    f.writeSettings();
    ui::TFormMain& w = f.start();
    w.resize(ui::layout::MinWidth, ui::layout::MinHeight);
    QTRY_COMPARE(w.width(), ui::layout::MinWidth);
    ui::StatusPanels* bar = w.statusPanels();
    QCoreApplication::processEvents();
    int right = 0;
    for (int i = 0; i < 5; ++i) {
        const QWidget* panel = bar->findChild<QWidget*>(QStringLiteral("StatusPanel%1").arg(i));
        QVERIFY(panel->isVisible());
        QVERIFY2(panel->geometry().left() >= right, qPrintable(QStringLiteral("panel %1 overlaps").arg(i)));
        right = panel->geometry().right() + 1;
    }
    QVERIFY2(right <= bar->width(), qPrintable(QStringLiteral("%1 > %2").arg(right).arg(bar->width())));
}

void TestWindowAsUsed::windowMax_ofAWindowThatNeverShowed_isKept()
{
    MainWindowFixture f;
    f.writeSettings("StartSplash=0\r\nStartTNA=1\r\nWindowMax=1\r\nSaveWindow=1\r\n");
    ui::TFormMain& w = f.start();
    QVERIFY(!w.isVisible());
    f.dialogs.answers = { core::Answer::Yes };
    w.MenuTNAExitClick();
    QVERIFY(w.exited());
    QVERIFY(f.programDir.read("Quillon.ini").find("WindowMax=1") != std::string::npos);
}

QTEST_MAIN(TestWindowAsUsed)
#include "tst_WindowAsUsed.moc"
