#pragma once
// An icon engine that draws its picture with QPainter whenever a size is
// asked for, so an icon is sharp at every size and device pixel ratio rather
// than scaled from one bitmap. The picture is a routine that paints into a
// 16 x 16 box of design units; the engine maps that box onto the square it
// renders and tells the routine how large one device pixel is in design
// units, so outlines can stay one or two real pixels wide.
//
// Rendered pixmaps are kept in QPixmapCache under the icon's name, so the
// name must be unique per picture. GUI thread only, like QIcon itself.

#include <QIconEngine>
#include <QImage>
#include <QString>

#include <functional>

class QPainter;

namespace quillon::ui {

class PaintedIconEngine final : public QIconEngine {
public:
    // Paints the picture; `pixel` is one device pixel in design units.
    using Art = std::function<void(QPainter& painter, qreal pixel)>;

    PaintedIconEngine(QString name, Art art);

    // Renders `art` into a transparent square image of `side` device pixels,
    // centred in an image of `size`. Disabled mode greys the picture out.
    static QImage render(const Art& art, const QSize& size, QIcon::Mode mode = QIcon::Normal);

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override;
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override;
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override;
    QString key() const override;
    // QIcon takes ownership of the copy it asks for.
    QIconEngine* clone() const override;
    bool isNull() override;

private:
    QString m_name;
    Art m_art;
};

} // namespace quillon::ui
