#include "ui/PaintPacer.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

namespace quillon::ui {

PaintPacer::PaintPacer(QWidget* window, std::chrono::milliseconds interval)
    : QObject(window)
    , m_window(window)
{
    setObjectName(QStringLiteral("PaintPacer"));
    m_interval.setSingleShot(true);
    m_interval.setInterval(interval);
    connect(&m_interval, &QTimer::timeout, this, &PaintPacer::intervalEnded);
    window->installEventFilter(this);
}

void PaintPacer::paintNow()
{
    paint();
}

void PaintPacer::paintNow(QWidget* widget)
{
    widget->update();
    if (auto* pacer = widget->window()->findChild<PaintPacer*>(QString(), Qt::FindDirectChildrenOnly))
        pacer->paintNow();
    else
        widget->repaint();
}

void PaintPacer::intervalEnded()
{
    if (m_waiting)
        paint();
}

bool PaintPacer::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_window || event->type() != QEvent::UpdateRequest || m_painting)
        return false;
    if (m_interval.isActive()) {
        // Held back: Qt asks again for nothing until a paint pass has run,
        // which intervalEnded() sends.
        m_waiting = true;
        return true;
    }
    m_interval.start();
    return false;
}

void PaintPacer::paint()
{
    m_waiting = false;
    m_painting = true;
    QEvent request(QEvent::UpdateRequest);
    QCoreApplication::sendEvent(m_window, &request);
    m_painting = false;
    m_interval.start();
}

} // namespace quillon::ui
