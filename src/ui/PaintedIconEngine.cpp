#include "ui/PaintedIconEngine.h"

#include <QPainter>
#include <QPixmapCache>

#include <algorithm>
#include <utility>

namespace quillon::ui {

namespace {

constexpr qreal DesignSide = 16.0;

// Greys out a picture for disabled menu items and buttons: desaturated and
// half transparent, so it still reads as the same shape.
void greyOut(QImage& image)
{
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = line[x]; // premultiplied
            const int a = qAlpha(c);
            if (a == 0)
                continue;
            const int grey = (qRed(c) * 11 + qGreen(c) * 16 + qBlue(c) * 5) / 32;
            // Lift the grey toward the middle so dark outlines do not dominate.
            const int lifted = (grey + a * 3 / 4) / 2;
            line[x] = qRgba(lifted * 45 / 100, lifted * 45 / 100, lifted * 45 / 100, a * 45 / 100);
        }
    }
}

} // namespace

PaintedIconEngine::PaintedIconEngine(QString name, Art art)
    : m_name(std::move(name))
    , m_art(std::move(art))
{
}

QImage PaintedIconEngine::render(const Art& art, const QSize& size, QIcon::Mode mode)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    const int side = std::min(size.width(), size.height());
    if (side <= 0 || !art)
        return image;
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.translate((size.width() - side) / 2, (size.height() - side) / 2);
        const qreal scale = side / DesignSide;
        painter.scale(scale, scale);
        art(painter, 1.0 / scale);
    }
    if (mode == QIcon::Disabled)
        greyOut(image);
    return image;
}

void PaintedIconEngine::paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state)
{
    const qreal dpr = painter->device() ? painter->device()->devicePixelRatio() : 1.0;
    QPixmap picture = scaledPixmap(rect.size() * dpr, mode, state, dpr);
    picture.setDevicePixelRatio(dpr);
    painter->drawPixmap(rect.topLeft(), picture);
}

QPixmap PaintedIconEngine::pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state)
{
    return scaledPixmap(size, mode, state, 1.0);
}

QPixmap PaintedIconEngine::scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State, qreal)
{
    // `size` is already in device pixels here; the caller sets the ratio.
    if (size.isEmpty())
        return {};
    const bool disabled = mode == QIcon::Disabled;
    const QString cacheKey = QStringLiteral("quillon-icon:%1:%2x%3:%4")
                                 .arg(m_name)
                                 .arg(size.width())
                                 .arg(size.height())
                                 .arg(disabled ? 'd' : 'n');
    QPixmap picture;
    if (QPixmapCache::find(cacheKey, &picture))
        return picture;
    picture = QPixmap::fromImage(render(m_art, size, disabled ? QIcon::Disabled : QIcon::Normal));
    QPixmapCache::insert(cacheKey, picture);
    return picture;
}

QList<QSize> PaintedIconEngine::availableSizes(QIcon::Mode, QIcon::State)
{
    // Any size can be drawn; these are the ones desktops ask window and tray
    // icons for when they read a list.
    return {{16, 16}, {22, 22}, {24, 24}, {32, 32}, {48, 48}, {64, 64}, {128, 128}, {256, 256}};
}

QString PaintedIconEngine::key() const
{
    return QStringLiteral("PaintedIconEngine");
}

QIconEngine* PaintedIconEngine::clone() const
{
    return new PaintedIconEngine(m_name, m_art);
}

bool PaintedIconEngine::isNull()
{
    return !m_art;
}

} // namespace quillon::ui
