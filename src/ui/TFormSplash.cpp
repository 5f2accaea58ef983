#include "ui/TFormSplash.h"

#include "ui/FixedDialog.h"

#include "ui/Icons.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

namespace quillon::ui {

namespace {

qreal primaryRatio()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->devicePixelRatio() : 1.0;
}

} // namespace

TFormSplash::TFormSplash(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
    , m_picture(icons::splashPicture(primaryRatio()))
{
    setObjectName(QStringLiteral("TFormSplash"));
    setFixedSize(m_picture.deviceIndependentSize().toSize());
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        centreOn(*this, screen->availableGeometry().center());
}

void TFormSplash::showNow()
{
    show();
    repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TFormSplash::paintEvent(QPaintEvent*)
{
    // The window may land on a screen of another ratio than the one the
    // picture was drawn for; draw it again rather than scale it.
    if (!qFuzzyCompare(m_picture.devicePixelRatio(), devicePixelRatioF()))
        m_picture = icons::splashPicture(devicePixelRatioF());
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_picture);
}

} // namespace quillon::ui
