// Renders the main window with the 177,767-line benchmark blocklist as its
// hosts file into window-blocklist.png (in the test's working folder), so
// that anyone can look at the window as a person would see it.

#include "MainWindowFixture.h"

#include "ui/HostListModel.h"
#include "ui/HostListView.h"
#include "ui/StatusPanels.h"

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
        QCOMPARE(w.listModel(0)->rowCount(), 175235);
        QCOMPARE(w.statusPanels()->panelText(0), QStringLiteral("Hosts: 175235"));
        w.listView(0)->selectRow(2);
        QCoreApplication::processEvents(); // pending layout, as a shown window would have had

        const QImage image = w.grab().toImage();
        QVERIFY(!image.isNull());
        QCOMPARE(image.size() / image.devicePixelRatio(), w.size());
        QVERIFY(image.save(QStringLiteral("window-blocklist.png")));
        QVERIFY(QFileInfo(QStringLiteral("window-blocklist.png")).size() > 10000);
    }
};

QTEST_MAIN(TestWindowSnapshot)
#include "tst_WindowSnapshot.moc"
