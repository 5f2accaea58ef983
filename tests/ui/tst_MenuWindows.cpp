#include "MainWindowFixture.h"

#include "core/ProductInfo.h"
#include "ui/HostListModel.h"
#include "ui/HostListView.h"
#include "ui/MainMenu.h"
#include "ui/TFormAbout.h"

#include <QTabBar>
#include "ui/TFormStatusChart.h"
#include "ui/TFormChanges.h"
#include "core/HostsRestore.h"
#include "verify/frmVerify.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>

#include <filesystem>

using namespace quillon;
using namespace quillon::test;

namespace {

// Runs step in the modal window that the menu item opens.
template<typename Window>
void withWindow(ui::TFormMain& w, const char* item, const std::function<void(Window&)>& step)
{
    bool ran = false;
    QTimer::singleShot(0, [&] {
        auto* window = qobject_cast<Window*>(QApplication::activeModalWidget());
        QVERIFY(window);
        ran = true;
        step(*window);
        if (window->isVisible())
            window->reject();
    });
    w.mainMenu()->action(QString::fromLatin1(item))->trigger();
    QVERIFY(ran);
}

QString labelText(QWidget& window, const char* name)
{
    auto* label = window.findChild<QLabel*>(QLatin1String(name));
    return label ? label->text() : QStringLiteral("<missing %1>").arg(QLatin1String(name));
}

} // namespace

class TestMenuWindows : public QObject {
    Q_OBJECT

private slots:
    void helpMenu_handsItsPagesToTheDesktop();
    void about_versionPageLinksAndButtons();
    void legend_textsAsWritten();
    void updateItem_asksTheConfiguredServer();
    void addressTool_importsVerifiedHosts();
    void hostsChanges_listsNewestFirstAndPutsBackACopy();
    void hostsChanges_unreadableLogSaysWhy();
};

void TestMenuWindows::helpMenu_handsItsPagesToTheDesktop()
{
    MainWindowFixture f;
    f.writeSettings();
    ui::TFormMain& w = f.start();
    for (const char* item : { "MenuHelpHelp", "MenuHelpHomePageProgram", "MenuHelpHomePageAuthor" })
        w.mainMenu()->action(QString::fromLatin1(item))->trigger();
    QCOMPARE(f.opener.opened, (std::vector<std::string> { f.programDir.file("Help00.htm"), core::ProductHomePage,
                                                          core::MakerHomePage }));
}

void TestMenuWindows::about_versionPageLinksAndButtons()
{
    MainWindowFixture f;
    f.writeSettings();
    ui::TFormMain& w = f.start();
    withWindow<ui::TFormAbout>(w, "MenuHelpAbout", [&](ui::TFormAbout& about) {
        QCOMPARE(about.windowTitle(), QStringLiteral("About Quillon"));
        auto* pages = about.findChild<QTabWidget*>(QStringLiteral("PageControl1"));
        for (int t = 0; t < pages->count(); ++t)
            QCOMPARE(pages->tabBar()->tabRect(t).width(), 111);
        QVERIFY(pages);
        QCOMPARE(pages->tabText(pages->currentIndex()), QStringLiteral("Version Info"));
        QCOMPARE(pages->tabText(2), QStringLiteral("Credits"));
        QCOMPARE(labelText(about, "LabelVersion"), QStringLiteral("1.1.0 Free (english)"));
        for (const char* link : { "LabelHomePage", "LabelEmail" })
            QTest::mouseClick(about.findChild<QLabel*>(QLatin1String(link)), Qt::LeftButton);
        for (const char* button : { "ButtonLicense", "ButtonAdvertisement" })
            about.findChild<QPushButton*>(QLatin1String(button))->click();
        QTest::keyClick(&about, Qt::Key_Escape);
        QVERIFY(!about.isVisible());
    });
    QCOMPARE(f.opener.opened,
             (std::vector<std::string> { core::ProductHomePage, std::string("mailto:") + core::SupportEmail,
                                         f.programDir.file("Help90.htm"), f.programDir.file("Help91.htm") }));
}

void TestMenuWindows::legend_textsAsWritten()
{
    MainWindowFixture f;
    f.writeSettings();
    ui::TFormMain& w = f.start();
    withWindow<ui::TFormStatusChart>(w, "MenuHelpStatusChart", [&](ui::TFormStatusChart& legend) {
        QCOMPARE(legend.windowTitle(), QStringLiteral("Legend"));
        QCOMPARE(labelText(legend, "LabelStatus1"),
                 QStringLiteral("Host verified and saved in the HOSTS file\n(Host acceleration is active)"));
        QCOMPARE(labelText(legend, "LabelStatus2"),
                 QStringLiteral("Host visited and available in the HOSTS file\n(Host acceleration is active,\n"
                                " Frequency Index must be updated)"));
        QCOMPARE(labelText(legend, "LabelStatus3"),
                 QStringLiteral("Host verified but not saved in the HOSTS file\n(Host acceleration is NOT active,\n"
                                " Host must be saved in the HOSTS file)"));
        QCOMPARE(labelText(legend, "LabelStatus0"),
                 QStringLiteral("Host not verified, waiting for verification\n(Host acceleration is NOT active)"));
        QCOMPARE(labelText(legend, "LabelTrashNote"),
                 QStringLiteral("The Host status in the Trash section represents the previous status of the Host "
                                "(before being deleted)."));
        QCOMPARE(labelText(legend, "LabelActivity0"), QStringLiteral("No activity"));
        QCOMPARE(labelText(legend, "LabelActivity2"), QStringLiteral("Files saving in progress"));
        QCOMPARE(labelText(legend, "LabelActivity1"), QStringLiteral("Verification in progress"));
        legend.findChild<QPushButton*>(QStringLiteral("ButtonOK"))->click();
        QVERIFY(!legend.isVisible());
    });
}

// The File menu's item runs the check against UpdateServer; nobody listens
// on port 1 of loopback.
void TestMenuWindows::updateItem_asksTheConfiguredServer()
{
    MainWindowFixture f;
    f.writeSettings("StartSplash=0\r\nCheckOnLine=0\r\nUpdateServer=127.0.0.1:1\r\n");
    ui::TFormMain& w = f.start();
    f.dialogs.answers = { core::Answer::Ok };
    w.mainMenu()->action(QStringLiteral("MenuFileUpdates"))->trigger();
    QCOMPARE(f.dialogs.askedTexts(), std::vector<std::string> { "Impossible to check for updates. Please retry later." });
    QCOMPARE(w.state().activity, 0);
    QVERIFY(!f.programDir.exists("VerEN.ini"));
}

// From the Tools menu to the Hosts list: a name looked up by hand and
// imported arrives verified, with its address.
void TestMenuWindows::addressTool_importsVerifiedHosts()
{
    MainWindowFixture f;
    f.writeSettings("StartSplash=0\r\nCheckOnLine=0\r\n");
    f.resolver.names["www.example.net"].addresses = { { 192, 0, 2, 7 } };
    ui::TFormMain& w = f.start();
    f.dialogs.answers = { core::Answer::Ok };
    withWindow<verify::TFormVerify>(w, "MenuToolsManualVerify", [&](verify::TFormVerify& tool) {
        QCOMPARE(tool.windowTitle(), QStringLiteral("Addresses Verification"));
        tool.findChild<QLineEdit*>(QStringLiteral("EditHostname"))->setText(QStringLiteral("http://www.example.net/x"));
        tool.findChild<QPushButton*>(QStringLiteral("ButtonVerify"))->click();
        tool.findChild<QPushButton*>(QStringLiteral("ButtonImport"))->click();
        QVERIFY(!tool.isVisible());
    });
    QCOMPARE(f.dialogs.askedTexts(), std::vector<std::string> { "New Hosts imported: 1." });
    const auto& hosts = w.state().store.hosts();
    QCOMPARE(hosts.size(), std::size_t(1));
    const core::TRecHost& added = **hosts.begin();
    QCOMPARE(added.HostName, std::string("www.example.net"));
    QCOMPARE(added.IP, std::string("192.0.2.7"));
    QCOMPARE(added.Status, std::int32_t(core::StatusVerified));
}

// The log newest first, its dates in the lists' form, filtered by name;
// Restore Original is off without hosts.orig; Restore Previous puts
// hosts.bak back and the log shows it.
void TestMenuWindows::hostsChanges_listsNewestFirstAndPutsBackACopy()
{
    MainWindowFixture f;
    f.writeSettings();
    const std::string previous = "10.0.0.1 before\n";
    f.hostsDir.write("hosts", "10.0.0.2 after  #Quillon|2024/06/15|11.00.00|1|0#\n");
    f.hostsDir.write("hosts.bak", previous);
    f.programDir.write("Quillon.d04", "2024/06/14\t10.00.00\t+\tbefore\t10.0.0.1\r\n"
                                      "2024/06/15\t11.00.00\t~\tafter\t10.0.0.2\t10.0.0.3\r\n");
    ui::TFormMain& w = f.start();
    withWindow<ui::TFormChanges>(w, "MenuToolsHostsChanges", [&](ui::TFormChanges& window) {
        QCOMPARE(window.windowTitle(), QStringLiteral("Hosts File Changes"));
        QAbstractItemModel* rows = window.findChild<QTableView*>(QStringLiteral("GridChanges"))->model();
        QCOMPARE(rows->rowCount(), 2);
        const QString listed = w.listView(0)->model()->index(0, ui::HostListModel::ColumnDate).data().toString();
        QCOMPARE(listed, QStringLiteral("06/15/2024 11:00:00"));
        QCOMPARE(rows->index(0, 0).data().toString(), listed);
        QCOMPARE(rows->index(0, 4).data().toString(), QStringLiteral("10.0.0.3"));
        QCOMPARE(labelText(window, "LabelCount"), QStringLiteral("2 changes"));
        QVERIFY(!window.findChild<QLabel*>(QStringLiteral("LabelLogError"))->isVisible());
        window.findChild<QLineEdit*>(QStringLiteral("EditFilter"))->setText(QStringLiteral("BEF"));
        QCOMPARE(labelText(window, "LabelCount"), QStringLiteral("1 of 2 changes"));
        QVERIFY(!window.findChild<QPushButton*>(QStringLiteral("ButtonRestoreOriginal"))->isEnabled());

        f.dialogs.answers = { core::Answer::Yes };
        window.findChild<QPushButton*>(QStringLiteral("ButtonRestorePrevious"))->click();
        QCOMPARE(f.dialogs.askedTexts(), (std::vector<std::string> { core::RestorePreviousQuestion }));
        QCOMPARE(f.hostsDir.read("hosts"), previous);
        QCOMPARE(labelText(window, "LabelCount"), QStringLiteral("1 of 3 changes"));
    });
    QCOMPARE(w.mainMenu()->action(QStringLiteral("MenuToolsHostsChanges"))->isEnabled(), true);
}

// A log that cannot be read: the window says why, with the system's reason,
// rather than showing an empty list as if nothing had changed.
void TestMenuWindows::hostsChanges_unreadableLogSaysWhy()
{
    MainWindowFixture f;
    f.writeSettings();
    std::filesystem::create_directory(f.programDir.file("Quillon.d04"));
    ui::TFormMain& w = f.start();
    const std::string why = "Cannot open file \"" + w.state().paths.d04 + "\". Is a directory";
    withWindow<ui::TFormChanges>(w, "MenuToolsHostsChanges", [&](ui::TFormChanges& window) {
        auto* label = window.findChild<QLabel*>(QStringLiteral("LabelLogError"));
        QVERIFY(label && label->isVisible());
        QCOMPARE(label->text(), QString::fromStdString(why));
        QCOMPARE(labelText(window, "LabelCount"), QStringLiteral("0 changes"));
    });
}

QTEST_MAIN(TestMenuWindows)
#include "tst_MenuWindows.moc"
