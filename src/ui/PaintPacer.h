#pragma once
// A window painted at most about 30 times a second.
//
// Every paint of a window's widgets, from update() and repaint() alike, is
// one request to the window (QEvent::UpdateRequest). A request that comes
// within the interval after the last paint waits, with every later one, for
// the interval's end, and all are painted then in one pass. So a run that
// handles hundreds of hosts a second paints its progress, the activity light
// and the lists at the pace a person can follow, not once per host, and
// spends its time on the hosts.
//
// - Exposure (the window shown, uncovered, resized) still paints at once:
//   Qt paints it without a request.
// - paintNow() paints what waits at once, for a step that blocks the
//   window's thread next.
// - The interval's timer runs on the window's thread: what waits is painted
//   when that thread next handles its events (a run lets it between hosts).

#include <QObject>
#include <QTimer>

#include <chrono>

class QWidget;

namespace quillon::ui {

class PaintPacer final : public QObject {
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds Interval { 33 };

    // Paces window's paints, as a child of window.
    explicit PaintPacer(QWidget* window, std::chrono::milliseconds interval = Interval);

    // Paints what waits now; the interval starts again.
    void paintNow();
    // Paints widget now, through its window's pacer when it has one.
    static void paintNow(QWidget* widget);
    // The interval's end: what waited is painted.
    void intervalEnded();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void paint();

    QWidget* m_window;
    QTimer m_interval;
    bool m_waiting = false;
    bool m_painting = false;
};

} // namespace quillon::ui
