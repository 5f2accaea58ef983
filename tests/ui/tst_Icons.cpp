// The drawn pictures: every icon renders at small and large sizes and at
// device pixel ratio 2 from its drawing rather than by scaling; the pictures
// that stand for different states can be told apart, in grey too; menu
// icons take the desktop theme's picture where there is one.

#include "ui/Icons.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QtTest>

#include <vector>

using namespace quillon::ui::icons;

namespace {

constexpr int MenuIconCount = static_cast<int>(MenuIcon::Exit) + 1;

QImage image(const QIcon& icon, int side)
{
    return icon.pixmap(QSize(side, side), 1.0).toImage().convertToFormat(QImage::Format_ARGB32);
}

int visiblePixels(const QImage& picture)
{
    int count = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            count += qAlpha(picture.pixel(x, y)) > 32 ? 1 : 0;
    return count;
}

// Pixels that differ clearly; with `grey`, only in brightness or coverage,
// as someone who cannot tell the colours apart would see them.
int differingPixels(const QImage& a, const QImage& b, bool grey = false)
{
    if (a.size() != b.size())
        return a.width() * a.height();
    int count = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            const bool coverage = std::abs(qAlpha(p) - qAlpha(q)) > 64;
            const bool shade = grey ? std::abs(qGray(p) - qGray(q)) > 40
                                    : std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                                              std::abs(qBlue(p) - qBlue(q)) >
                                          60;
            count += coverage || shade ? 1 : 0;
        }
    }
    return count;
}

// Every pair in the list differs in at least `minimum` pixels.
void requireDistinct(const std::vector<QImage>& pictures, int minimum, bool grey, const char* what)
{
    for (std::size_t i = 0; i < pictures.size(); ++i)
        for (std::size_t j = i + 1; j < pictures.size(); ++j)
            QVERIFY2(differingPixels(pictures[i], pictures[j], grey) >= minimum,
                     qPrintable(QStringLiteral("%1 %2 and %3 look alike").arg(what).arg(i).arg(j)));
}

} // namespace

class tst_Icons : public QObject {
    Q_OBJECT

private slots:
    void everyIcon_drawnSharpAtEachSizeAndRatio_data();
    void everyIcon_drawnSharpAtEachSizeAndRatio();
    void outOfRange_givesNullIconOrIdlePicture();
    void states_distinguishableIncludingInGrey();
    void activityPixmap_drawnForRatio();
    void disabledMode_greyedOut();
    void menuIcon_prefersThemeAndFallsBackToDrawn();
    void logoAndSplash_sizesFollowRatio();
};

void tst_Icons::everyIcon_drawnSharpAtEachSizeAndRatio_data()
{
    QTest::addColumn<QIcon>("icon");
    for (int i = 0; i < 4; ++i)
        QTest::addRow("status %d", i) << statusIcon(i);
    for (int i = 0; i < 3; ++i)
        QTest::addRow("tab %d", i) << tabIcon(i);
    for (int i = 0; i < 3; ++i)
        QTest::addRow("tray %d", i) << trayIcon(i);
    QTest::addRow("app") << appIcon();
    for (int i = 0; i < MenuIconCount; ++i)
        QTest::addRow("menu %d", i) << menuIcon(static_cast<MenuIcon>(i));
}

void tst_Icons::everyIcon_drawnSharpAtEachSizeAndRatio()
{
    QFETCH(QIcon, icon);
    QVERIFY(!icon.isNull());
    for (const int side : {16, 22, 32, 48}) {
        const QImage picture = image(icon, side);
        QCOMPARE(picture.size(), QSize(side, side));
        QVERIFY2(visiblePixels(picture) >= side * side / 8, qPrintable(QString::number(side)));
    }
    const QPixmap doubled = icon.pixmap(QSize(16, 16), 2.0);
    QCOMPARE(doubled.devicePixelRatio(), 2.0);
    QCOMPARE(doubled.size(), QSize(32, 32));
    QCOMPARE(doubled.deviceIndependentSize(), QSizeF(16, 16));
    // Drawn at 32 device pixels, not a 16-pixel picture blown up.
    QImage pixels = doubled.toImage().convertToFormat(QImage::Format_ARGB32);
    pixels.setDevicePixelRatio(1.0);
    QCOMPARE(pixels, image(icon, 32));
}

void tst_Icons::outOfRange_givesNullIconOrIdlePicture()
{
    QVERIFY(statusIcon(-1).isNull());
    QVERIFY(statusIcon(4).isNull());
    QVERIFY(tabIcon(-1).isNull());
    QVERIFY(tabIcon(3).isNull());
    QCOMPARE(activityPixmap(3, 1.0).toImage(), activityPixmap(0, 1.0).toImage());
    QCOMPARE(activityPixmap(-1, 1.0).toImage(), activityPixmap(0, 1.0).toImage());
    QCOMPARE(image(trayIcon(7), 22), image(trayIcon(0), 22));
    QCOMPARE(image(appIcon(), 48), image(trayIcon(0), 48));
}

void tst_Icons::states_distinguishableIncludingInGrey()
{
    std::vector<QImage> statuses;
    for (int i = 0; i < 4; ++i)
        statuses.push_back(image(statusIcon(i), 16));
    requireDistinct(statuses, 12, false, "status");
    requireDistinct(statuses, 12, true, "status (grey)");

    std::vector<QImage> tabs;
    for (int i = 0; i < 3; ++i)
        tabs.push_back(image(tabIcon(i), 16));
    requireDistinct(tabs, 20, false, "tab");

    for (const int side : {16, 22, 24, 32, 48}) {
        std::vector<QImage> trays;
        for (int i = 0; i < 3; ++i)
            trays.push_back(image(trayIcon(i), side));
        requireDistinct(trays, side * side / 16, false, "tray");
        requireDistinct(trays, side * side / 32, true, "tray (grey)");
    }

    std::vector<QImage> lights;
    for (int i = 0; i < 3; ++i)
        lights.push_back(activityPixmap(i, 1.0).toImage().convertToFormat(QImage::Format_ARGB32));
    requireDistinct(lights, 30, false, "activity");

    // Two actions sharing one drawing would be a slip in the menu table.
    std::vector<QImage> menus;
    for (int i = 0; i < MenuIconCount; ++i)
        menus.push_back(image(drawnMenuIcon(static_cast<MenuIcon>(i)), 16));
    requireDistinct(menus, 8, false, "menu");
}

void tst_Icons::activityPixmap_drawnForRatio()
{
    for (const qreal ratio : {1.0, 1.5, 2.0}) {
        const QPixmap light = activityPixmap(1, ratio);
        QCOMPARE(light.devicePixelRatio(), ratio);
        QCOMPARE(light.deviceIndependentSize(), QSizeF(16, 16));
        QCOMPARE(light.size(), QSize(qRound(16 * ratio), qRound(16 * ratio)));
    }
}

void tst_Icons::disabledMode_greyedOut()
{
    const QIcon icon = drawnMenuIcon(MenuIcon::Delete); // a red cross
    const QImage normal = icon.pixmap(QSize(16, 16), 1.0, QIcon::Normal).toImage();
    const QImage disabled =
        icon.pixmap(QSize(16, 16), 1.0, QIcon::Disabled).toImage().convertToFormat(QImage::Format_ARGB32);
    QVERIFY(differingPixels(normal.convertToFormat(QImage::Format_ARGB32), disabled) > 0);
    int saturated = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            saturated += QColor::fromRgba(disabled.pixel(x, y)).hsvSaturation() > 16 ? 1 : 0;
    QCOMPARE(saturated, 0);
    QVERIFY(visiblePixels(disabled) > 0);
}

void tst_Icons::menuIcon_prefersThemeAndFallsBackToDrawn()
{
    // No theme (as under the offscreen platform): the drawn pictures.
    for (int i = 0; i < MenuIconCount; ++i) {
        const auto which = static_cast<MenuIcon>(i);
        QCOMPARE(image(menuIcon(which), 16), image(drawnMenuIcon(which), 16));
    }

    // A theme with the freedesktop names of the actions that have one.
    QTemporaryDir root;
    QVERIFY(root.isValid());
    const QString themeDir = root.filePath(QStringLiteral("quillon-test"));
    QVERIFY(QDir().mkpath(themeDir + QStringLiteral("/16x16/actions")));
    QFile index(themeDir + QStringLiteral("/index.theme"));
    QVERIFY(index.open(QIODevice::WriteOnly));
    index.write("[Icon Theme]\nName=quillon-test\nDirectories=16x16/actions\n\n"
                "[16x16/actions]\nSize=16\nType=Fixed\n");
    index.close();
    QImage magenta(16, 16, QImage::Format_ARGB32);
    magenta.fill(Qt::magenta);
    const std::pair<MenuIcon, const char*> standard[] = {
        { MenuIcon::ImportHosts, "document-open" },     { MenuIcon::Save, "document-save" },
        { MenuIcon::Exit, "application-exit" },         { MenuIcon::Delete, "edit-delete" },
        { MenuIcon::Find, "edit-find" },                { MenuIcon::SortAscending, "view-sort-ascending" },
        { MenuIcon::SortDescending, "view-sort-descending" }, { MenuIcon::Help, "help-contents" },
        { MenuIcon::About, "help-about" },              { MenuIcon::Options, "preferences-system" },
    };
    for (const auto& [which, name] : standard)
        QVERIFY(magenta.save(themeDir + QStringLiteral("/16x16/actions/%1.png").arg(QLatin1String(name))));
    // The theme's pictures of names the program's own pictures could be
    // mistaken for: the lists' and the tray's stay the program's.
    for (const char* name : { "user-trash", "appointment-soon", "emblem-default" })
        QVERIFY(magenta.save(themeDir + QStringLiteral("/16x16/actions/%1.png").arg(QLatin1String(name))));

    const QStringList oldPaths = QIcon::themeSearchPaths();
    const QString oldTheme = QIcon::themeName();
    QIcon::setThemeSearchPaths({root.path()});
    QIcon::setThemeName(QStringLiteral("quillon-test"));
    std::vector<QImage> themed;
    for (const auto& entry : standard)
        themed.push_back(image(menuIcon(entry.first), 16));
    const QImage legend = image(menuIcon(MenuIcon::Legend), 16);
    const QImage tab = image(tabIcon(2), 16);
    const QImage waiting = image(statusIcon(0), 16);
    const QImage tray = image(trayIcon(1), 16);
    QIcon::setThemeName(oldTheme);
    QIcon::setThemeSearchPaths(oldPaths);

    for (std::size_t i = 0; i < themed.size(); ++i)
        QVERIFY2(themed[i].pixel(8, 8) == QColor(Qt::magenta).rgba(), standard[i].second);
    QCOMPARE(legend, image(drawnMenuIcon(MenuIcon::Legend), 16));
    QCOMPARE(tab, image(tabIcon(2), 16));
    QCOMPARE(waiting, image(statusIcon(0), 16));
    QCOMPARE(tray, image(trayIcon(1), 16));
}

void tst_Icons::logoAndSplash_sizesFollowRatio()
{
    const QPixmap single = logo(71, 1.0);
    const QPixmap doubled = logo(71, 2.0);
    QCOMPARE(single.height(), 71);
    QVERIFY(single.width() > 3 * 71);
    QCOMPARE(doubled.devicePixelRatio(), 2.0);
    QCOMPARE(doubled.height(), 142);
    QVERIFY(std::abs(doubled.deviceIndependentSize().width() - single.width()) <= 1.0);
    QVERIFY(visiblePixels(single.toImage()) > single.width() * single.height() / 10);

    for (const qreal ratio : {1.0, 2.0}) {
        const QPixmap splash = splashPicture(ratio);
        QCOMPARE(splash.deviceIndependentSize(), QSizeF(400, 100));
        QCOMPARE(splash.size(), QSize(qRound(400 * ratio), qRound(100 * ratio)));
        // The splash window has no background of its own: no see-through pixel.
        const QImage picture = splash.toImage().convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(visiblePixels(picture), picture.width() * picture.height());
    }
}

QTEST_MAIN(tst_Icons)
#include "tst_Icons.moc"
