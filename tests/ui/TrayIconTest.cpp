// The tray component: its menu, the requests it reports, the state kept where
// there is no notification area, and the hint's length.

#include "ui/TrayIcon.h"

#include <QAction>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

using quillon::ui::TrayIcon;

namespace {

QIcon filledIcon(Qt::GlobalColor colour)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(colour);
    return QIcon(pixmap);
}

} // namespace

class TrayIconTest : public QObject {
    Q_OBJECT

private slots:
    void menu_design();
    void menuItems_request_openAndExit();
    void doubleClick_opens_onlyWhileOpenEnabled();
    void active_unavailable_stateKept_nothingShown();
    void active_available_iconFollowsState();
    void imageHintAndMenu_updatedInPlace();
    void hint_cutTo63Characters_data();
    void hint_cutTo63Characters();
};

void TrayIconTest::menu_design()
{
    TrayIcon tray;
    QCOMPARE(tray.objectName(), QStringLiteral("TNA"));
    QCOMPARE(tray.menu()->objectName(), QStringLiteral("MenuTNA"));
    const QList<QAction*> actions = tray.menu()->actions();
    QCOMPARE(actions.size(), 2);
    QCOMPARE(actions.at(0), tray.openAction());
    QCOMPARE(actions.at(1), tray.exitAction());
    QCOMPARE(tray.openAction()->objectName(), QStringLiteral("MenuTNAOpen"));
    QCOMPARE(tray.openAction()->text(), QStringLiteral("&Open"));
    QVERIFY(tray.openAction()->font().bold());
    QCOMPARE(tray.menu()->defaultAction(), tray.openAction());
    QCOMPARE(tray.exitAction()->objectName(), QStringLiteral("MenuTNAExit"));
    QCOMPARE(tray.exitAction()->text(), QStringLiteral("E&xit"));
}

void TrayIconTest::menuItems_request_openAndExit()
{
    TrayIcon tray;
    QSignalSpy opens(&tray, &TrayIcon::openRequested);
    QSignalSpy exits(&tray, &TrayIcon::exitRequested);
    tray.openAction()->trigger();
    QCOMPARE(opens.count(), 1);
    QCOMPARE(exits.count(), 0);
    tray.exitAction()->trigger();
    QCOMPARE(opens.count(), 1);
    QCOMPARE(exits.count(), 1);
}

void TrayIconTest::doubleClick_opens_onlyWhileOpenEnabled()
{
    TrayIcon tray;
    tray.setAvailableForTesting(true);
    tray.setImage(filledIcon(Qt::green));
    tray.setActive(true);
    QSystemTrayIcon* const icon = tray.systemIcon();
    QVERIFY(icon != nullptr);
    QSignalSpy opens(&tray, &TrayIcon::openRequested);

    emit icon->activated(QSystemTrayIcon::DoubleClick);
    QCOMPARE(opens.count(), 1);

    // While the exit question runs.
    tray.openAction()->setEnabled(false);
    emit icon->activated(QSystemTrayIcon::DoubleClick);
    QCOMPARE(opens.count(), 1);

    tray.openAction()->setEnabled(true);
    emit icon->activated(QSystemTrayIcon::Trigger);
    emit icon->activated(QSystemTrayIcon::Context);
    QCOMPARE(opens.count(), 1);
}

void TrayIconTest::active_unavailable_stateKept_nothingShown()
{
    TrayIcon tray;
    tray.setAvailableForTesting(false);
    QVERIFY(!tray.available());
    QVERIFY(!tray.isActive());
    QVERIFY(!tray.hasBeenActive());

    tray.setActive(true);
    QVERIFY(tray.isActive());
    QVERIFY(tray.hasBeenActive());
    QVERIFY(!tray.iconShown());
    QVERIFY(tray.systemIcon() == nullptr);

    tray.setActive(false);
    QVERIFY(!tray.isActive());
    QVERIFY(tray.hasBeenActive());
}

void TrayIconTest::active_available_iconFollowsState()
{
    TrayIcon tray;
    tray.setAvailableForTesting(true);
    tray.setImage(filledIcon(Qt::green));
    QVERIFY(tray.systemIcon() == nullptr); // created on first need

    tray.setActive(true);
    QVERIFY(tray.iconShown());
    tray.setActive(false);
    QVERIFY(!tray.iconShown());
    QVERIFY(tray.hasBeenActive());
    tray.setActive(true);
    QVERIFY(tray.iconShown());
}

void TrayIconTest::imageHintAndMenu_updatedInPlace()
{
    TrayIcon tray;
    tray.setAvailableForTesting(true);
    tray.setImage(filledIcon(Qt::green));
    tray.setHint(QStringLiteral("Quillon"));
    tray.setActive(true);
    QSystemTrayIcon* const icon = tray.systemIcon();
    QCOMPARE(icon->toolTip(), QStringLiteral("Quillon"));
    QCOMPARE(icon->icon().cacheKey(), tray.image().cacheKey());
    QCOMPARE(icon->contextMenu(), tray.menu());

    const QIcon busyIcon = filledIcon(Qt::red);
    tray.setImage(busyIcon);
    tray.setHint(QStringLiteral("Quillon - verifying"));
    QCOMPARE(tray.systemIcon(), icon);
    QCOMPARE(icon->icon().cacheKey(), busyIcon.cacheKey());
    QCOMPARE(icon->toolTip(), QStringLiteral("Quillon - verifying"));

    tray.setMenuAttached(false);
    QVERIFY(icon->contextMenu() == nullptr);
    tray.setMenuAttached(true);
    QCOMPARE(icon->contextMenu(), tray.menu());
}

void TrayIconTest::hint_cutTo63Characters_data()
{
    QTest::addColumn<QString>("hint");
    QTest::addColumn<QString>("kept");
    const QString sixtyThree(63, QLatin1Char('q'));
    QTest::newRow("short") << QStringLiteral("Quillon") << QStringLiteral("Quillon");
    QTest::newRow("exactly 63") << sixtyThree << sixtyThree;
    QTest::newRow("64") << sixtyThree + QLatin1Char('x') << sixtyThree;
    // A character outside the basic plane is two UTF-16 units; never half of it.
    const QString clef = QString::fromUcs4(U"\U0001D11E");
    QTest::newRow("pair across the cut") << QString(62, QLatin1Char('q')) + clef << QString(62, QLatin1Char('q'));
    QTest::newRow("pair before the cut") << QString(61, QLatin1Char('q')) + clef + QLatin1Char('x')
                                         << QString(61, QLatin1Char('q')) + clef;
}

void TrayIconTest::hint_cutTo63Characters()
{
    QFETCH(QString, hint);
    QFETCH(QString, kept);
    TrayIcon tray;
    tray.setHint(hint);
    QCOMPARE(tray.hint(), kept);
}

QTEST_MAIN(TrayIconTest)
#include "TrayIconTest.moc"
