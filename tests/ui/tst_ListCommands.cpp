#include "MainWindowFixture.h"

#include "capture/frmIgnoreList.h"
#include "ui/HostListModel.h"
#include "ui/HostListView.h"
#include "ui/MainMenu.h"
#include "ui/PageControl.h"

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

using namespace quillon;
using namespace quillon::test;
using core::Answer;

namespace {

void selectRows(ui::HostListView* view, std::initializer_list<int> rows)
{
    view->clearSelection();
    for (int r : rows)
        view->selectionModel()->select(view->model()->index(r, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

QString host(ui::TFormMain& w, int page, int row)
{
    return w.listModel(page)->cellText(row, ui::HostListModel::ColumnHostName);
}

} // namespace

class TestListCommands : public QObject {
    Q_OBJECT

private slots:
    void deleteKey_eachPage();
    void headerClick_togglesTheSort();
    void editMenuAliasItems_runTheAliasCommands();
    void findScrollsTheRowToTheTop();
    void ignoreListWindow_addAndClose();
};

void TestListCommands::deleteKey_eachPage()
{
    MainWindowFixture f;
    f.hostsDir.write("hosts", "1.1.1.1 h1\r\n1.1.1.2 h2\r\n");
    f.programDir.write("Quillon.d01", "0 w1\r\n");
    f.writeSettings();
    ui::TFormMain& w = f.start();

    QTest::keyClick(w.listView(0), Qt::Key_Delete); // nothing selected: nothing asked
    QVERIFY(f.dialogs.asked.empty());

    selectRows(w.listView(0), { 1 });
    f.dialogs.answers = { Answer::Yes };
    QTest::keyClick(w.listView(0), Qt::Key_Delete);
    QCOMPARE(f.dialogs.askedTexts().back(), std::string("Send the selected Host to Trash ?"));
    QCOMPARE(w.listModel(0)->rowCount(), 1);
    QCOMPARE(host(w, 2, 0), QStringLiteral("h2"));
    QCOMPARE(w.state().store.pendingChanges(), 1);

    w.setCurrentPage(1);
    selectRows(w.listView(1), { 0 });
    f.dialogs.answers = { Answer::Yes };
    QTest::keyClick(w.listView(1), Qt::Key_Delete);
    QCOMPARE(host(w, 2, 0), QStringLiteral("w1"));
    QCOMPARE(w.state().store.pendingChanges(), 1);

    w.setCurrentPage(2);
    selectRows(w.listView(2), { 0, 1 });
    f.dialogs.answers = { Answer::Yes };
    QTest::keyClick(w.listView(2), Qt::Key_Delete);
    QCOMPARE(f.dialogs.askedTexts().back(), std::string("Delete the 2 selected Hosts ?"));
    QCOMPARE(w.listModel(2)->rowCount(), 0);
}

void TestListCommands::headerClick_togglesTheSort()
{
    MainWindowFixture f;
    f.hostsDir.write("hosts", "1.1.1.1 b\r\n1.1.1.2 c\r\n1.1.1.3 a\r\n");
    f.writeSettings();
    ui::TFormMain& w = f.start();
    QHeaderView* header = w.listView(0)->horizontalHeader();
    const QPoint column1(header->sectionViewportPosition(1) + 5, 5);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, column1);
    QCOMPARE(host(w, 0, 0), QStringLiteral("a"));
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, column1);
    QCOMPARE(host(w, 0, 0), QStringLiteral("c"));
    QVERIFY(w.pageControl()->isEnabled()); // the lock is released again
}

void TestListCommands::editMenuAliasItems_runTheAliasCommands()
{
    MainWindowFixture f;
    f.hostsDir.write("hosts", "1.1.1.1 h1 old\r\n1.1.1.2 h2 other\r\n");
    f.writeSettings();
    ui::TFormMain& w = f.start();
    selectRows(w.listView(0), { 0 });
    f.dialogs.inputSteps = { { true, "new" } };
    w.mainMenu()->action(QStringLiteral("MenuEditEditAlias"))->trigger();
    QCOMPARE(w.listModel(0)->cellText(0, ui::HostListModel::ColumnAlias), QStringLiteral("new"));

    selectRows(w.listView(0), { 0, 1 });
    f.dialogs.answers = { Answer::Yes };
    w.mainMenu()->action(QStringLiteral("MenuEditDeleteAlias"))->trigger();
    QCOMPARE(w.listModel(0)->cellText(1, ui::HostListModel::ColumnAlias), QString());
    QCOMPARE(w.listView(0)->selectedRowCount(), 0);
}

void TestListCommands::findScrollsTheRowToTheTop()
{
    MainWindowFixture f;
    std::string hosts;
    for (int i = 0; i < 500; ++i)
        hosts += "1.1.1.1 host" + std::to_string(i) + "\r\n";
    f.hostsDir.write("hosts", hosts);
    f.writeSettings();
    ui::TFormMain& w = f.start();
    f.dialogs.inputSteps = { { true, "HOST300" } };
    w.mainMenu()->action(QStringLiteral("MenuEditFindHost"))->trigger();
    QCOMPARE(w.listView(0)->selectedRowNumbers(), (std::vector<int> { 300 }));
    QCOMPARE(w.listView(0)->rowAt(0), 300);
}

void TestListCommands::ignoreListWindow_addAndClose()
{
    MainWindowFixture f;
    f.hostsDir.write("hosts", "1.1.1.1 hosta\r\n");
    f.programDir.write("Quillon.d03", "zeta\r\n");
    f.writeSettings();
    ui::TFormMain& w = f.start();
    f.dialogs.inputSteps = { { true, "HostA" } };
    f.dialogs.answers = { Answer::Yes };
    int rowsSeen = -1;
    QTimer::singleShot(0, [&] {
        auto* window = qobject_cast<capture::TFormIgnoreList*>(QApplication::activeModalWidget());
        QVERIFY(window);
        QCOMPARE(window->windowTitle(), QStringLiteral("Hosts to be Ignored"));
        window->findChild<QPushButton*>(QStringLiteral("ButtonAddHost"))->click();
        rowsSeen = window->findChild<QTableWidget*>(QStringLiteral("ListViewIgnore"))->rowCount();
        window->findChild<QPushButton*>(QStringLiteral("ButtonClose"))->click();
    });
    w.mainMenu()->action(QStringLiteral("MenuToolsIgnoreList"))->trigger();
    QCOMPARE(rowsSeen, 2);
    QCOMPARE(f.programDir.read("Quillon.d03"), std::string("hosta\r\nzeta\r\n"));
    QCOMPARE(w.listModel(0)->rowCount(), 0);
    QVERIFY(f.hostsDir.read("hosts").find("hosta") == std::string::npos); // saved after the window
    QVERIFY(w.pageControl()->isEnabled());
}

QTEST_MAIN(TestListCommands)
#include "tst_ListCommands.moc"
