// Renders the main window into PNG files of the test's working folder, so
// that anyone can look at it as a person would see it: with the 177,767-line
// benchmark blocklist as its hosts file (window-blocklist.png), and at its
// smallest size showing a Wait list that a new entry just arrived in
// (window-minimum.png, window-new-wait-entry.png).

#include "MainWindowFixture.h"

#include "ui/HostListModel.h"
#include "ui/HostListView.h"
#include "ui/StatusPanels.h"
#include "ui/WindowLayout.h"

#include <QFileInfo>
#include <QImage>

#include <fstream>
#include <iterator>

using namespace quillon;
using namespace quillon::test;

namespace {
std::string readAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
} // namespace

class TestWindowSnapshot : public QObject {
    Q_OBJECT

private slots:
    void blocklistWindow_rendersToPng()
    {
        const std::string data = QUILLON_TEST_DATA;
        std::string hosts = readAll(data + "/hosts/FadeMind__hosts.extras/GoodbyeAds-YouTube-Adblock-Extension/hosts");
        hosts += "\n" + readAll(data + "/hosts/StevenBlack__hosts@2.1.21/alternates/fakenews-gambling-porn-social/hosts");

        MainWindowFixture f;
        f.hostsDir.write("hosts", hosts);
        f.programDir.write("Quillon.d01", "0 waiting.example  #Quillon|1899/12/30|00.00.00|0|1#\r\n");
        f.writeSettings();
        ui::TFormMain& w = f.start();
        QCOMPARE(w.listModel(0)->rowCount(), 175236);
        QCOMPARE(w.statusPanels()->panelText(0), QStringLiteral("Hosts: 175236"));
        w.listView(0)->selectRow(2);
        QCoreApplication::processEvents(); // pending layout, as a shown window would have had

        const QImage image = w.grab().toImage();
        QVERIFY(!image.isNull());
        QCOMPARE(image.size() / image.devicePixelRatio(), w.size());
        QVERIFY(image.save(QStringLiteral("window-blocklist.png")));
        QVERIFY(QFileInfo(QStringLiteral("window-blocklist.png")).size() > 10000);
    }

    void smallestWindow_withANewWaitEntry_rendersToPng()
    {
        MainWindowFixture f;
        f.hostsDir.write("hosts", "10.0.0.7 intranet files #Quillon|2026/12/07|09.14.05|1|12#\r\n");
        f.writeSettings();
        ui::TFormMain& w = f.start();
        w.setCurrentPage(1);
        auto r = std::make_unique<core::TRecHost>();
        r->HostName = "a.stat.xiaomi-cloud-services.example.com";
        r->Alias = "files print";
        r->Freq = 1;
        w.state().store.insertTopOfWait(std::move(r));
        w.showHostCount();
        QCoreApplication::processEvents();
        QVERIFY(w.grab().toImage().save(QStringLiteral("window-new-wait-entry.png")));

        w.resize(ui::layout::MinWidth, ui::layout::MinHeight);
        QCoreApplication::processEvents();
        const QImage image = w.grab().toImage();
        QCOMPARE(image.size() / image.devicePixelRatio(), QSize(ui::layout::MinWidth, ui::layout::MinHeight));
        QVERIFY(image.save(QStringLiteral("window-minimum.png")));
        QCOMPARE(w.statusPanels()->panelText(0), QStringLiteral("Hosts: 1"));
    }
};

QTEST_MAIN(TestWindowSnapshot)
#include "tst_WindowSnapshot.moc"
