// The start-up splash: a bare window of the picture's size, centred on the
// primary screen, that is on screen and painted when showNow() returns.

#include "ui/Icons.h"
#include "ui/TFormSplash.h"

#include <QGuiApplication>
#include <QScreen>
#include <QtTest>

using quillon::ui::TFormSplash;

class tst_TFormSplash : public QObject {
    Q_OBJECT

private slots:
    void creation_bareWindowOfPictureSizeCentred();
    void showNow_visibleAndPaintedOnReturn();
};

void tst_TFormSplash::creation_bareWindowOfPictureSizeCentred()
{
    const TFormSplash splash;
    QCOMPARE(splash.objectName(), QStringLiteral("TFormSplash"));
    QCOMPARE(splash.size(), QSize(400, 100));
    const Qt::WindowFlags flags = splash.windowFlags();
    QCOMPARE(flags & Qt::WindowType_Mask, Qt::SplashScreen);
    QVERIFY(flags.testFlag(Qt::FramelessWindowHint));
    QVERIFY(flags.testFlag(Qt::WindowStaysOnTopHint));
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QVERIFY(screen.width() > 400 && screen.height() > 100);
    const QPoint offCentre = splash.geometry().center() - screen.center();
    QVERIFY2(offCentre.manhattanLength() <= 1,
             qPrintable(QStringLiteral("%1,%2").arg(offCentre.x()).arg(offCentre.y())));
}

void tst_TFormSplash::showNow_visibleAndPaintedOnReturn()
{
    TFormSplash splash;
    splash.showNow();
    QVERIFY(splash.isVisible());
    const QImage shown = splash.grab().toImage().convertToFormat(QImage::Format_ARGB32);
    QImage expected = quillon::ui::icons::splashPicture(shown.devicePixelRatio()).toImage();
    QCOMPARE(shown, expected.convertToFormat(QImage::Format_ARGB32));
}

QTEST_MAIN(tst_TFormSplash)
#include "tst_TFormSplash.moc"
