// The work panel: its controls, the progress text, Esc as the window's cancel
// key while the panel is visible, the clip (playing while shown, resting on
// its stop frame, and harmless when missing), and its paints at the window's
// pace.

#include "ui/WorkPanel.h"

#include "ui/PaintPacer.h"

#include <QFile>
#include <QLabel>
#include <QMainWindow>
#include <QMovie>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using quillon::core::WorkPanelSetup;
using quillon::ui::WorkPanel;

namespace {

// A GIF of the given number of 1 x 1 frames, 20 ms each.
QByteArray gifClip(int frames)
{
    QByteArray gif("GIF89a");
    gif.append("\x01\x00\x01\x00\x80\x00\x00", 7); // 1 x 1, two-colour global table
    gif.append("\x00\x00\x00\xFF\xFF\xFF", 6);
    for (int i = 0; i < frames; ++i) {
        gif.append("\x21\xF9\x04\x00\x02\x00\x00\x00", 8);             // graphic control: 20 ms
        gif.append("\x2C\x00\x00\x00\x00\x01\x00\x01\x00\x00", 10);    // image descriptor
        gif.append("\x02\x02\x44\x01\x00", 5);                         // LZW: clear, pixel 0, end
    }
    gif.append('\x3B');
    return gif;
}

QString writeClip(const QTemporaryDir& dir, int frames)
{
    const QString path = dir.filePath(QStringLiteral("Quillon%1.a01").arg(frames));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write(gifClip(frames));
    return path;
}

template<typename T>
T* child(WorkPanel& panel, const char* name)
{
    return panel.findChild<T*>(QLatin1String(name));
}

QMovie* clip(WorkPanel& panel)
{
    return child<QLabel>(panel, "WorkAnimation")->movie();
}

// Counts the paints of a widget.
class PaintCounter final : public QObject {
public:
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++count;
        return false;
    }
};

} // namespace

class WorkPanelTest : public QObject {
    Q_OBJECT

private slots:
    void design_data();
    void design();
    void showPanel_appliesSetup();
    void setProgress_setsBarAndPercent_data();
    void setProgress_setsBarAndPercent();
    void escape_pressesCancel_onlyWhileVisibleAndEnabled();
    void clip_playsWhileShown_restsOnStopFrame_data();
    void clip_playsWhileShown_restsOnStopFrame();
    void clip_missing_isHarmless();
    void paints_atOnceWhenShown_thenAtTheWindowsPace();
};

void WorkPanelTest::design_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("text");
    QTest::newRow("action") << "WorkLabelAction" << QRect(15, 15, 211, 21) << "Verifying Host:";
    QTest::newRow("url") << "WorkLabelURL" << QRect(15, 35, 211, 21) << "hostname";
    QTest::newRow("bar") << "WorkProgressBar" << QRect(15, 55, 265, 16) << QString();
    QTest::newRow("percent") << "WorkLabelPercent" << QRect(15, 80, 36, 16) << "100%";
    QTest::newRow("cancel") << "WorkButtonCancel" << QRect(205, 80, 75, 25) << "Cancel";
    QTest::newRow("animation") << "WorkAnimation" << QRect(235, 10, 48, 45) << QString();
}

void WorkPanelTest::design()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QFETCH(QString, text);

    WorkPanel panel;
    QCOMPARE(panel.objectName(), QStringLiteral("PanelWork"));
    QCOMPARE(panel.size(), QSize(295, 120));
    QVERIFY(panel.isHidden());

    auto* const control = panel.findChild<QWidget*>(name);
    QVERIFY(control != nullptr);
    QCOMPARE(control->geometry(), geometry);
    if (auto* const label = qobject_cast<QLabel*>(control); label && !text.isEmpty())
        QCOMPARE(label->text(), text);
    if (auto* const button = qobject_cast<QPushButton*>(control))
        QCOMPARE(button->text(), text);
}

void WorkPanelTest::showPanel_appliesSetup()
{
    QWidget window;
    WorkPanel panel(&window);
    window.show();
    panel.setProgress(73);
    panel.setUrl(QStringLiteral("old.example"));

    WorkPanelSetup setup;
    setup.action = "Processing Favorites...";
    setup.percent = "";
    setup.cancelEnabled = false;
    panel.showPanel(setup);

    QVERIFY(panel.isShown());
    QVERIFY(panel.isVisible());
    QCOMPARE(child<QLabel>(panel, "WorkLabelAction")->text(), QStringLiteral("Processing Favorites..."));
    QCOMPARE(child<QLabel>(panel, "WorkLabelURL")->text(), QString());
    QCOMPARE(panel.progress(), 0);
    QCOMPARE(child<QLabel>(panel, "WorkLabelPercent")->text(), QString());
    QVERIFY(!child<QPushButton>(panel, "WorkButtonCancel")->isEnabled());

    panel.hidePanel();
    QVERIFY(!panel.isShown());
}

void WorkPanelTest::setProgress_setsBarAndPercent_data()
{
    QTest::addColumn<int>("percent");
    QTest::addColumn<int>("bar");
    QTest::addColumn<QString>("text");
    QTest::newRow("start") << 0 << 0 << "0%";
    QTest::newRow("one of three") << 33 << 33 << "33%";
    QTest::newRow("done") << 100 << 100 << "100%";
    QTest::newRow("above the range") << 250 << 100 << "100%";
    QTest::newRow("below the range") << -5 << 0 << "0%";
}

void WorkPanelTest::setProgress_setsBarAndPercent()
{
    QFETCH(int, percent);
    QFETCH(int, bar);
    QFETCH(QString, text);

    WorkPanel panel;
    panel.setProgress(50);
    panel.setProgress(percent);
    QCOMPARE(panel.progress(), bar);
    QCOMPARE(child<QProgressBar>(panel, "WorkProgressBar")->value(), bar);
    QCOMPARE(child<QLabel>(panel, "WorkLabelPercent")->text(), text);
}

void WorkPanelTest::escape_pressesCancel_onlyWhileVisibleAndEnabled()
{
    QMainWindow window;
    auto* const central = new QWidget(&window);
    window.setCentralWidget(central);
    auto* const panel = new WorkPanel(central);
    window.resize(650, 480);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QSignalSpy cancels(panel, &WorkPanel::cancelClicked);

    QTest::keyClick(&window, Qt::Key_Escape);
    QCOMPARE(cancels.count(), 0); // hidden

    panel->showPanel({});
    QTest::keyClick(&window, Qt::Key_Escape);
    QCOMPARE(cancels.count(), 1);

    panel->setCancelEnabled(false);
    QTest::keyClick(&window, Qt::Key_Escape);
    QCOMPARE(cancels.count(), 1);

    panel->setCancelEnabled(true);
    panel->hidePanel();
    QTest::keyClick(&window, Qt::Key_Escape);
    QCOMPARE(cancels.count(), 1);

    panel->showPanel({});
    QTest::mouseClick(panel->findChild<QPushButton*>(QStringLiteral("WorkButtonCancel")), Qt::LeftButton);
    QCOMPARE(cancels.count(), 2);
}

void WorkPanelTest::clip_playsWhileShown_restsOnStopFrame_data()
{
    QTest::addColumn<int>("frames");
    QTest::addColumn<int>("restFrame"); // counted from 0, as QMovie counts
    QTest::newRow("longer than the stop frame") << 20 << 13;
    QTest::newRow("exactly the stop frame") << 14 << 13;
    QTest::newRow("shorter: its last frame") << 5 << 4;
}

void WorkPanelTest::clip_playsWhileShown_restsOnStopFrame()
{
    QFETCH(int, frames);
    QFETCH(int, restFrame);

    const QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QWidget window;
    WorkPanel panel(&window);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    panel.setClipFile(writeClip(dir, frames));
    QMovie* const movie = clip(panel);
    QVERIFY(movie->isValid());
    QCOMPARE(movie->frameCount(), frames);
    QCOMPARE(movie->currentFrameNumber(), restFrame);
    QCOMPARE(movie->state(), QMovie::NotRunning);

    QSignalSpy starts(movie, &QMovie::started);
    panel.showPanel({});
    QCOMPARE(movie->state(), QMovie::Running);
    // A clip without a loop count plays once; the panel starts it again.
    QTRY_VERIFY_WITH_TIMEOUT(starts.count() >= 2, 5000);

    panel.hidePanel();
    QCOMPARE(movie->state(), QMovie::NotRunning);
    QCOMPARE(movie->currentFrameNumber(), restFrame);
    QVERIFY(!movie->currentPixmap().isNull());
}

void WorkPanelTest::clip_missing_isHarmless()
{
    const QTemporaryDir dir;
    QWidget window;
    WorkPanel panel(&window);
    window.show();
    panel.setClipFile(dir.filePath(QStringLiteral("Quillon.a01")));
    panel.showPanel({});
    panel.paintChanges();
    QVERIFY(panel.isVisible());
    QVERIFY(clip(panel)->state() != QMovie::Running);
    panel.hidePanel();
    QVERIFY(!panel.isVisible());
}

// A run's hosts ask for hundreds of paints a second; the window paints once
// per interval (here one that ends only when the test says), in one pass,
// and Qt keeps asking after a held-back paint.
void WorkPanelTest::paints_atOnceWhenShown_thenAtTheWindowsPace()
{
    QWidget window;
    window.resize(400, 200);
    WorkPanel panel(&window);
    quillon::ui::PaintPacer pacer(&window, std::chrono::hours(1));
    PaintCounter painted(&panel);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    panel.showPanel({});
    panel.paintChanges(); // before a step that may block: painted now
    const int shown = painted.count;
    QVERIFY(shown > 0);
    for (int i = 1; i <= 100; ++i) {
        panel.setProgress(i);
        panel.paintChanges();
        panel.repaint();
        QCoreApplication::processEvents();
    }
    QCOMPARE(painted.count, shown);
    pacer.intervalEnded();
    QCOMPARE(painted.count, shown + 1);
    pacer.intervalEnded(); // nothing waited
    QCOMPARE(painted.count, shown + 1);
    panel.setProgress(7);
    panel.paintChanges();
    QCoreApplication::processEvents();
    pacer.intervalEnded();
    QCOMPARE(painted.count, shown + 2);
}

QTEST_MAIN(WorkPanelTest)
#include "WorkPanelTest.moc"
