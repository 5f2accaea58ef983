#include "ui/IconArt.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace quillon::ui::icons::art {

namespace {

constexpr QPointF Centre{8.0, 8.0};

QColor edgeOf(const QColor& fill)
{
    return fill.darker(145);
}

QPen outlinePen(const QColor& colour, qreal px)
{
    QPen pen(colour, outlineWidth(px));
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

QPen markPen(const QColor& colour, qreal width)
{
    return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// A filled disc whose outer edge, outline included, has the given radius.
void disc(QPainter& p, qreal px, const QPointF& centre, qreal radius, const QBrush& fill, const QColor& edge)
{
    const qreal w = outlineWidth(px);
    p.setPen(QPen(edge, w));
    p.setBrush(fill);
    p.drawEllipse(centre, radius - w / 2, radius - w / 2);
}

void fullDisc(QPainter& p, qreal px, const QColor& fill)
{
    disc(p, px, Centre, 7.5, fill, edgeOf(fill));
}

QPainterPath starPath(const QPointF& centre, qreal outer, qreal inner)
{
    QPainterPath path;
    for (int i = 0; i < 10; ++i) {
        const qreal r = i % 2 == 0 ? outer : inner;
        const qreal a = -std::numbers::pi / 2 + i * std::numbers::pi / 5;
        const QPointF point(centre.x() + r * std::cos(a), centre.y() + r * std::sin(a));
        if (i == 0)
            path.moveTo(point);
        else
            path.lineTo(point);
    }
    path.closeSubpath();
    return path;
}

void checkMark(QPainter& p, const QPointF& origin, qreal scale, const QColor& colour, qreal width)
{
    p.setPen(markPen(colour, width));
    p.setBrush(Qt::NoBrush);
    const QPointF points[] = {origin + QPointF(-3.4, 0.1) * scale, origin + QPointF(-1.0, 2.5) * scale,
                              origin + QPointF(3.4, -2.5) * scale};
    p.drawPolyline(points, 3);
}

// Point at `degrees` (counter-clockwise, as Qt's arcs count) on a circle.
QPointF onCircle(const QPointF& centre, qreal radius, qreal degrees)
{
    const qreal a = degrees * std::numbers::pi / 180.0;
    return {centre.x() + radius * std::cos(a), centre.y() - radius * std::sin(a)};
}

void arrowHead(QPainter& p, const QPointF& tip, const QPointF& direction, const QColor& colour, qreal size)
{
    const qreal length = std::hypot(direction.x(), direction.y());
    if (length <= 0)
        return;
    const QPointF d = direction / length;
    const QPointF n(-d.y(), d.x());
    const QPointF base = tip - d * size;
    const QPointF head[] = {tip + d * size * 0.15, base + n * size * 0.75, base - n * size * 0.75};
    p.setPen(QPen(colour, size * 0.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(colour);
    p.drawPolygon(head, 3);
}

// An arc with an arrow head where it ends; angles as Qt counts them.
void arcArrow(QPainter& p, const QPointF& centre, qreal radius, qreal start, qreal span, const QColor& colour,
              qreal width)
{
    const qreal headSize = width * 1.9;
    // Stop the line short of the tip so the round cap does not poke out.
    const qreal trim = (headSize * 0.8 / radius) * 180.0 / std::numbers::pi * (span < 0 ? -1 : 1);
    QPainterPath path;
    const QRectF box(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
    path.arcMoveTo(box, start);
    path.arcTo(box, start, span - trim);
    p.setPen(QPen(colour, width, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
    const qreal end = (start + span) * std::numbers::pi / 180.0;
    QPointF tangent(-std::sin(end), -std::cos(end));
    if (span < 0)
        tangent = -tangent;
    arrowHead(p, onCircle(centre, radius, start + span), tangent, colour, headSize);
}

void clearBehind(QPainter& p, const QPainterPath& shape, qreal gap)
{
    p.save();
    p.setCompositionMode(QPainter::CompositionMode_Clear);
    p.setPen(QPen(Qt::black, 2 * gap, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::black);
    p.drawPath(shape);
    p.restore();
}

} // namespace

qreal outlineWidth(qreal px)
{
    // One device pixel at small sizes; a little heavier when large so the
    // outline does not vanish, but never more than one design unit.
    return std::clamp(px, 0.6, 1.0);
}

void hourglass(QPainter& p, qreal px, const QColor& frame, const QColor& sand)
{
    QPainterPath glass;
    glass.moveTo(4.4, 2.5);
    glass.lineTo(11.6, 2.5);
    glass.quadTo(11.6, 6.4, 8.9, 8.0);
    glass.quadTo(11.6, 9.6, 11.6, 13.5);
    glass.lineTo(4.4, 13.5);
    glass.quadTo(4.4, 9.6, 7.1, 8.0);
    glass.quadTo(4.4, 6.4, 4.4, 2.5);
    glass.closeSubpath();
    p.setPen(outlinePen(frame, px));
    p.setBrush(QColor(0xf2, 0xf6, 0xfa));
    p.drawPath(glass);

    p.setPen(Qt::NoPen);
    p.setBrush(sand);
    const QPointF upper[] = {{6.0, 5.2}, {10.0, 5.2}, {8.0, 7.6}};
    p.drawPolygon(upper, 3);
    QPainterPath heap;
    heap.moveTo(5.2, 12.9);
    heap.quadTo(5.6, 10.6, 8.0, 10.0);
    heap.quadTo(10.4, 10.6, 10.8, 12.9);
    heap.closeSubpath();
    p.drawPath(heap);
    p.setPen(QPen(sand, std::max(px, 0.7)));
    p.drawLine(QPointF(8.0, 7.4), QPointF(8.0, 10.2));

    p.setPen(Qt::NoPen);
    p.setBrush(frame);
    p.drawRoundedRect(QRectF(2.5, 1.0, 11.0, 2.2), 0.8, 0.8);
    p.drawRoundedRect(QRectF(2.5, 12.8, 11.0, 2.2), 0.8, 0.8);
}

void savedDisc(QPainter& p, qreal px)
{
    fullDisc(p, px, palette::Green);
    checkMark(p, QPointF(8.0, 8.1), 1.0, Qt::white, 2.0);
}

void visitedDisc(QPainter& p, qreal px)
{
    fullDisc(p, px, palette::Green);
    p.setPen(QPen(Qt::white, std::max(px * 0.5, 0.3), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::white);
    p.drawPath(starPath(QPointF(8.0, 8.5), 5.4, 2.3));
}

void verifiedSquare(QPainter& p, qreal px)
{
    const qreal w = outlineWidth(px);
    p.setPen(outlinePen(QColor(0xc2, 0x7c, 0x0e), px));
    p.setBrush(palette::Gold);
    p.drawRoundedRect(QRectF(1.0 + w / 2, 1.0 + w / 2, 14.0 - w, 14.0 - w), 3.0, 3.0);
    checkMark(p, QPointF(8.0, 8.1), 1.0, QColor(0x5a, 0x3a, 0x00), 2.0);
}

void globe(QPainter& p, qreal px, const QColor& sea)
{
    fullDisc(p, px, sea);
    p.save();
    QPainterPath inside;
    inside.addEllipse(Centre, 7.5 - outlineWidth(px), 7.5 - outlineWidth(px));
    p.setClipPath(inside);
    p.setPen(QPen(QColor(255, 255, 255, 215), std::max(px, 0.75)));
    p.setBrush(Qt::NoBrush);
    p.drawLine(QPointF(0.0, 8.0), QPointF(16.0, 8.0));
    p.drawLine(QPointF(8.0, 0.0), QPointF(8.0, 16.0));
    p.drawEllipse(Centre, 3.4, 7.0);
    if (px < 0.9) {
        // At 16 pixels the parallels would close the gaps into a grid.
        p.drawLine(QPointF(0.0, 4.5), QPointF(16.0, 4.5));
        p.drawLine(QPointF(0.0, 11.5), QPointF(16.0, 11.5));
    }
    p.restore();
}

void bin(QPainter& p, qreal px)
{
    const QColor edge(0x6c, 0x7a, 0x89);
    QPainterPath body;
    body.moveTo(3.3, 5.0);
    body.lineTo(12.7, 5.0);
    body.lineTo(11.8, 14.6);
    body.lineTo(4.2, 14.6);
    body.closeSubpath();
    p.setPen(outlinePen(edge, px));
    p.setBrush(QColor(0xd5, 0xdb, 0xe0));
    p.drawPath(body);
    p.setPen(QPen(edge, std::max(px, 0.8), Qt::SolidLine, Qt::RoundCap));
    for (const qreal x : {6.1, 8.0, 9.9})
        p.drawLine(QPointF(x, 7.0), QPointF(x + (x - 8.0) * 0.08, 12.6));
    p.setPen(outlinePen(edge, px));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(6.0, 1.0, 4.0, 2.4), 0.8, 0.8);
    p.setPen(Qt::NoPen);
    p.setBrush(edge);
    p.drawRoundedRect(QRectF(1.8, 2.6, 12.4, 2.2), 0.8, 0.8);
}

void led(QPainter& p, qreal px, int indicator)
{
    struct Lamp {
        QColor core, middle, rim;
        bool lit;
    };
    static const Lamp lamps[] = {
        {QColor(0x8d, 0x93, 0x99), QColor(0x5f, 0x65, 0x6b), QColor(0x3c, 0x41, 0x46), false},
        {QColor(0xe0, 0xff, 0xd8), QColor(0x3d, 0xd6, 0x6f), QColor(0x17, 0x80, 0x3f), true},
        {QColor(0xff, 0xe0, 0xd6), QColor(0xf2, 0x4e, 0x4e), QColor(0xa3, 0x1b, 0x24), true},
    };
    const Lamp& lamp = lamps[indicator >= 0 && indicator <= 2 ? indicator : 0];

    if (lamp.lit) {
        QRadialGradient glow(Centre, 8.0);
        QColor inner = lamp.middle;
        inner.setAlpha(150);
        QColor outer = lamp.middle;
        outer.setAlpha(0);
        glow.setColorAt(0.55, inner);
        glow.setColorAt(1.0, outer);
        p.setPen(Qt::NoPen);
        p.setBrush(glow);
        p.drawEllipse(Centre, 8.0, 8.0);
    }
    disc(p, px, Centre, 6.8, QColor(0x2a, 0x2e, 0x32), QColor(0x1c, 0x1f, 0x22));
    QRadialGradient lampFill(QPointF(7.2, 6.8), 5.8);
    lampFill.setColorAt(0.0, lamp.core);
    lampFill.setColorAt(0.45, lamp.middle);
    lampFill.setColorAt(1.0, lamp.rim);
    p.setPen(Qt::NoPen);
    p.setBrush(lampFill);
    p.drawEllipse(Centre, 5.5, 5.5);
    p.setBrush(QColor(255, 255, 255, lamp.lit ? 190 : 110));
    p.drawEllipse(QPointF(6.4, 5.7), 2.2, 1.4);
}

void emblem(QPainter& p, qreal px)
{
    // A blue tile with a white globe and a gold flash across it: the web,
    // reached faster.
    const qreal w = outlineWidth(px);
    const QRectF tile(0.5 + w / 2, 0.5 + w / 2, 15.0 - w, 15.0 - w);
    QLinearGradient sea(0.0, 0.5, 0.0, 15.5);
    sea.setColorAt(0.0, QColor(0x3d, 0xae, 0xe9));
    sea.setColorAt(1.0, QColor(0x14, 0x5f, 0xb0));
    p.setPen(outlinePen(QColor(0x0f, 0x4f, 0x8e), px));
    p.setBrush(sea);
    p.drawRoundedRect(tile, 3.4, 3.4);

    const qreal radius = 5.6;
    const qreal lines = std::max(px, 0.7);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 255, 255, 235), std::max(px * 1.4, 1.1)));
    p.drawEllipse(Centre, radius, radius);
    p.setPen(QPen(QColor(255, 255, 255, 170), lines));
    p.drawEllipse(Centre, radius * 0.45, radius);
    p.drawLine(Centre - QPointF(radius, 0.0), Centre + QPointF(radius, 0.0));
    if (px < 0.6) {
        const qreal off = radius * 0.55;
        const qreal half = std::sqrt(radius * radius - off * off);
        p.drawLine(QPointF(8.0 - half, 8.0 - off), QPointF(8.0 + half, 8.0 - off));
        p.drawLine(QPointF(8.0 - half, 8.0 + off), QPointF(8.0 + half, 8.0 + off));
    }

    const QPointF flash[] = {{10.3, 1.3}, {4.5, 9.1}, {7.8, 9.1}, {6.0, 14.8}, {11.7, 6.8}, {8.4, 6.8}};
    p.setPen(QPen(QColor(0x8a, 0x52, 0x00), std::max(px * 0.9, 0.45), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(palette::Gold);
    p.drawPolygon(flash, 6);
}

void document(QPainter& p, qreal px)
{
    QPainterPath page;
    page.moveTo(3.0, 1.0);
    page.lineTo(9.8, 1.0);
    page.lineTo(13.0, 4.2);
    page.lineTo(13.0, 15.0);
    page.lineTo(3.0, 15.0);
    page.closeSubpath();
    const QColor edge(0x7a, 0x86, 0x91);
    p.setPen(outlinePen(edge, px));
    p.setBrush(palette::Paper);
    p.drawPath(page);
    const QPointF fold[] = {{9.8, 1.0}, {9.8, 4.2}, {13.0, 4.2}};
    p.setBrush(QColor(0xdd, 0xe3, 0xe8));
    p.drawPolygon(fold, 3);
    p.setPen(QPen(QColor(0xa9, 0xb4, 0xbf), std::max(px, 0.8)));
    for (const qreal y : {6.5, 8.5, 10.5, 12.5})
        p.drawLine(QPointF(5.0, y), QPointF(11.0, y));
}

void floppy(QPainter& p, qreal px)
{
    const QColor body(0x29, 0x80, 0xb9);
    const qreal w = outlineWidth(px);
    QPainterPath shape;
    shape.moveTo(1.0 + w / 2, 2.5);
    shape.quadTo(1.0 + w / 2, 1.0 + w / 2, 2.5, 1.0 + w / 2);
    shape.lineTo(12.3, 1.0 + w / 2);
    shape.lineTo(15.0 - w / 2, 3.7);
    shape.lineTo(15.0 - w / 2, 13.5);
    shape.quadTo(15.0 - w / 2, 15.0 - w / 2, 13.5, 15.0 - w / 2);
    shape.lineTo(2.5, 15.0 - w / 2);
    shape.quadTo(1.0 + w / 2, 15.0 - w / 2, 1.0 + w / 2, 13.5);
    shape.closeSubpath();
    p.setPen(outlinePen(edgeOf(body), px));
    p.setBrush(body);
    p.drawPath(shape);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xdf, 0xe6, 0xec));
    p.drawRect(QRectF(4.0, 1.5, 7.0, 4.3));
    p.setBrush(body.darker(130));
    p.drawRect(QRectF(8.6, 2.3, 1.6, 2.8));
    p.setBrush(palette::Paper);
    p.drawRoundedRect(QRectF(3.2, 8.3, 9.6, 6.0), 0.7, 0.7);
    p.setPen(QPen(QColor(0xa9, 0xb4, 0xbf), std::max(px, 0.7)));
    p.drawLine(QPointF(4.8, 10.3), QPointF(11.2, 10.3));
    p.drawLine(QPointF(4.8, 12.3), QPointF(11.2, 12.3));
}

void windowFrame(QPainter& p, qreal px)
{
    const QColor edge(0x4d, 0x59, 0x64);
    const qreal w = outlineWidth(px);
    const QRectF frame(1.0 + w / 2, 2.0 + w / 2, 14.0 - w, 12.0 - w);
    p.setPen(outlinePen(edge, px));
    p.setBrush(palette::Paper);
    p.drawRoundedRect(frame, 1.2, 1.2);
    p.setPen(Qt::NoPen);
    p.setBrush(edge);
    QPainterPath bar;
    bar.addRoundedRect(frame, 1.2, 1.2);
    p.save();
    p.setClipRect(QRectF(0.0, 0.0, 16.0, 5.4));
    p.drawPath(bar);
    p.restore();
}

void tag(QPainter& p, qreal px)
{
    p.save();
    p.translate(Centre);
    p.rotate(45.0);
    QPainterPath shape;
    shape.moveTo(-6.2, 0.0);
    shape.lineTo(-2.6, -3.6);
    shape.lineTo(5.8, -3.6);
    shape.quadTo(6.6, -3.6, 6.6, -2.8);
    shape.lineTo(6.6, 2.8);
    shape.quadTo(6.6, 3.6, 5.8, 3.6);
    shape.lineTo(-2.6, 3.6);
    shape.closeSubpath();
    QPainterPath hole;
    hole.addEllipse(QPointF(-2.7, 0.0), 1.15, 1.15);
    p.setPen(outlinePen(QColor(0xc2, 0x7c, 0x0e), px));
    p.setBrush(palette::Gold);
    p.drawPath(shape.subtracted(hole));
    p.setPen(QPen(QColor(0xc2, 0x7c, 0x0e), std::max(px, 0.8), Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(0.6, -1.4), QPointF(4.6, -1.4));
    p.drawLine(QPointF(0.6, 1.4), QPointF(3.4, 1.4));
    p.restore();
}

void magnifier(QPainter& p, qreal px, bool globeLens)
{
    const QPointF lens(6.6, 6.6);
    const qreal radius = 4.9;
    const QColor rim(0x4d, 0x59, 0x64);
    p.setPen(QPen(palette::Ink, 2.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(10.4, 10.4), QPointF(14.2, 14.2));
    if (globeLens) {
        p.save();
        p.translate(lens - QPointF(radius, radius));
        const qreal scale = 2 * radius / 16.0;
        p.scale(scale, scale);
        globe(p, px / scale, palette::Blue);
        p.restore();
    } else {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xd6, 0xec, 0xfa));
        p.drawEllipse(lens, radius, radius);
        p.setBrush(QColor(255, 255, 255, 200));
        p.drawEllipse(lens + QPointF(-1.6, -1.6), 1.4, 1.0);
    }
    p.setPen(QPen(rim, 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(lens, radius, radius);
}

void gear(QPainter& p, qreal px)
{
    QPainterPath wheel;
    wheel.addEllipse(Centre, 5.0, 5.0);
    for (int i = 0; i < 8; ++i) {
        QPainterPath tooth;
        tooth.addRoundedRect(QRectF(-1.35, -7.4, 2.7, 3.6), 0.5, 0.5);
        QTransform turn;
        turn.translate(8.0, 8.0);
        turn.rotate(i * 45.0);
        wheel = wheel.united(turn.map(tooth));
    }
    QPainterPath hole;
    hole.addEllipse(Centre, 2.2, 2.2);
    p.setPen(outlinePen(QColor(0x4d, 0x59, 0x64), px));
    p.setBrush(QColor(0x8e, 0x9c, 0xa8));
    p.drawPath(wheel.subtracted(hole));
}

void house(QPainter& p, qreal px)
{
    const QColor edge(0x4d, 0x59, 0x64);
    p.setPen(outlinePen(edgeOf(palette::Red), px));
    p.setBrush(palette::Red);
    p.drawRect(QRectF(10.6, 2.4, 2.0, 3.6));
    p.setPen(outlinePen(edge, px));
    p.setBrush(palette::Paper);
    p.drawRect(QRectF(3.3, 7.2, 9.4, 7.6));
    p.setPen(Qt::NoPen);
    p.setBrush(palette::Slate);
    p.drawRect(QRectF(6.8, 10.0, 2.6, 4.8));
    QPainterPath roof;
    roof.moveTo(0.9, 8.2);
    roof.lineTo(8.0, 1.4);
    roof.lineTo(15.1, 8.2);
    p.setPen(QPen(palette::Red, 2.1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(roof);
}

void legendRows(QPainter& p, qreal px)
{
    const qreal rows[] = {3.0, 8.0, 13.0};
    p.setPen(QPen(QColor(0x7a, 0x86, 0x91), 1.4, Qt::SolidLine, Qt::RoundCap));
    for (const qreal y : rows)
        p.drawLine(QPointF(7.0, y), QPointF(14.6, y));
    p.setPen(outlinePen(edgeOf(palette::Green), px));
    p.setBrush(palette::Green);
    p.drawEllipse(QPointF(3.0, rows[0]), 2.0, 2.0);
    p.setPen(outlinePen(QColor(0xc2, 0x7c, 0x0e), px));
    p.setBrush(palette::Gold);
    p.drawRoundedRect(QRectF(1.0, rows[1] - 2.0, 4.0, 4.0), 0.8, 0.8);
    p.setPen(outlinePen(edgeOf(palette::Slate), px));
    p.setBrush(palette::Slate.lighter(140));
    const QPointF sandglass[] = {
        {1.2, rows[2] - 2.0}, {4.8, rows[2] - 2.0}, {1.2, rows[2] + 2.0}, {4.8, rows[2] + 2.0}};
    p.drawPolygon(sandglass, 4);
}

void listRows(QPainter& p, qreal px)
{
    const QColor edge(0x9a, 0xa6, 0xb1);
    for (int i = 0; i < 3; ++i) {
        const QRectF row(1.0, 1.5 + i * 4.4, 14.0, 3.4);
        if (i == 1) {
            p.setPen(outlinePen(edgeOf(palette::Blue), px));
            p.setBrush(palette::Blue);
        } else {
            p.setPen(outlinePen(edge, px));
            p.setBrush(palette::Paper);
        }
        p.drawRoundedRect(row, 0.8, 0.8);
    }
}

void selection(QPainter& p, qreal px, bool inverted)
{
    const QRectF outer(1.5, 1.5, 13.0, 13.0);
    const QRectF inner(4.5, 4.5, 7.0, 7.0);
    QColor fill = palette::Blue;
    p.setPen(Qt::NoPen);
    if (inverted) {
        QPainterPath around;
        around.addRect(outer);
        QPainterPath middle;
        middle.addRect(inner);
        fill.setAlpha(110);
        p.setBrush(fill);
        p.drawPath(around.subtracted(middle));
        p.setPen(QPen(palette::Ink, std::max(px, 0.8), Qt::DashLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(inner);
        p.setPen(QPen(edgeOf(palette::Blue), outlineWidth(px)));
        p.drawRect(outer);
    } else {
        p.setBrush(fill);
        p.drawRect(inner);
        QPen dashes(palette::Ink, std::max(px, 0.8), Qt::CustomDashLine);
        dashes.setDashPattern({2.0, 1.5});
        p.setPen(dashes);
        p.setBrush(Qt::NoBrush);
        p.drawRect(outer);
    }
}

void sortBars(QPainter& p, qreal, bool ascending)
{
    const qreal lengths[] = {3.4, 6.0, 8.6};
    p.setPen(Qt::NoPen);
    p.setBrush(palette::Slate);
    for (int i = 0; i < 3; ++i) {
        const qreal length = lengths[ascending ? i : 2 - i];
        p.drawRoundedRect(QRectF(1.0, 2.0 + i * 4.6, length, 2.6), 0.6, 0.6);
    }
    const qreal x = 13.0;
    if (ascending)
        arrow(p, QPointF(x, 14.5), QPointF(x, 1.5), palette::Blue, 1.8);
    else
        arrow(p, QPointF(x, 1.5), QPointF(x, 14.5), palette::Blue, 1.8);
}

void forbidden(QPainter& p, qreal)
{
    p.setPen(QPen(palette::Red, 2.2));
    p.setBrush(QColor(255, 255, 255, 230));
    p.drawEllipse(Centre, 6.3, 6.3);
    p.setPen(QPen(palette::Red, 2.2, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(onCircle(Centre, 6.3, 135.0), onCircle(Centre, 6.3, -45.0));
}

void power(QPainter& p, qreal)
{
    const QRectF box(2.2, 2.8, 11.6, 11.6);
    QPainterPath ring;
    // Open at the top, where the bar stands.
    ring.arcMoveTo(box, 120.0);
    ring.arcTo(box, 120.0, 300.0);
    p.setPen(markPen(palette::Red, 2.2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(ring);
    p.drawLine(QPointF(8.0, 1.4), QPointF(8.0, 7.6));
}

void helpDisc(QPainter& p, qreal px)
{
    fullDisc(p, px, palette::Blue);
    const QRectF box(5.4, 3.3, 5.2, 5.0);
    QPainterPath hook;
    hook.arcMoveTo(box, 170.0);
    hook.arcTo(box, 170.0, -240.0);
    hook.quadTo(8.0, 8.8, 8.0, 9.8);
    p.setPen(markPen(Qt::white, 1.9));
    p.setBrush(Qt::NoBrush);
    p.drawPath(hook);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(8.0, 12.4), 1.2, 1.2);
}

void infoDisc(QPainter& p, qreal px)
{
    fullDisc(p, px, palette::Blue);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(8.0, 4.6), 1.25, 1.25);
    p.drawRoundedRect(QRectF(7.0, 6.8, 2.0, 6.2), 0.6, 0.6);
}

void downloadDisc(QPainter& p, qreal px)
{
    fullDisc(p, px, palette::Green);
    arrow(p, QPointF(8.0, 3.2), QPointF(8.0, 11.0), Qt::white, 2.0);
    p.setPen(markPen(Qt::white, 1.6));
    p.drawLine(QPointF(4.6, 12.6), QPointF(11.4, 12.6));
}

void cross(QPainter& p, const QRectF& box, const QColor& colour, qreal width)
{
    p.setPen(markPen(colour, width));
    p.drawLine(box.topLeft(), box.bottomRight());
    p.drawLine(box.topRight(), box.bottomLeft());
}

void arrow(QPainter& p, const QPointF& from, const QPointF& to, const QColor& colour, qreal width)
{
    const QPointF d = to - from;
    const qreal length = std::hypot(d.x(), d.y());
    if (length <= 0)
        return;
    const qreal headSize = width * 1.9;
    p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(from, to - d / length * headSize * 0.8);
    arrowHead(p, to, d, colour, headSize);
}

void undoArrow(QPainter& p, qreal)
{
    const QColor colour = palette::Blue;
    QPainterPath path;
    path.moveTo(8.6, 14.2);
    path.cubicTo(13.6, 14.2, 14.6, 10.0, 14.0, 8.0);
    path.cubicTo(13.2, 5.4, 10.6, 5.0, 5.2, 5.0);
    p.setPen(markPen(colour, 2.0));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
    arrowHead(p, QPointF(1.2, 5.0), QPointF(-1.0, 0.0), colour, 3.8);
}

void refreshArrows(QPainter& p, qreal)
{
    arcArrow(p, Centre, 5.4, 100.0, 150.0, palette::Green, 1.9);
    arcArrow(p, Centre, 5.4, 280.0, 150.0, palette::Green, 1.9);
}

void badge(QPainter& p, qreal px, Badge kind)
{
    const QPointF at(12.0, 12.0);
    const qreal radius = 4.0;
    QPainterPath round;
    round.addEllipse(at, radius, radius);
    // A clear gap around the badge keeps it apart from the picture below.
    const qreal gap = std::max(px, 0.7);
    switch (kind) {
    case Badge::Check:
    case Badge::Plus:
    case Badge::Lit:
        clearBehind(p, round, gap);
        disc(p, px, at, radius, palette::Green, edgeOf(palette::Green));
        if (kind == Badge::Check) {
            checkMark(p, at + QPointF(0.0, 0.2), 0.62, Qt::white, 1.5);
        } else if (kind == Badge::Plus) {
            p.setPen(markPen(Qt::white, 1.5));
            p.drawLine(at + QPointF(-2.1, 0.0), at + QPointF(2.1, 0.0));
            p.drawLine(at + QPointF(0.0, -2.1), at + QPointF(0.0, 2.1));
        } else {
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(0xe0, 0xff, 0xd8));
            p.drawEllipse(at, 1.6, 1.6);
        }
        break;
    case Badge::Clock:
        clearBehind(p, round, gap);
        disc(p, px, at, radius, palette::Paper, palette::Ink);
        p.setPen(markPen(palette::Ink, 1.0));
        p.drawLine(at, at + QPointF(0.0, -2.4));
        p.drawLine(at, at + QPointF(1.8, 0.6));
        break;
    case Badge::Star: {
        const QPainterPath star = starPath(at + QPointF(0.0, 0.3), 4.6, 2.0);
        clearBehind(p, star, gap);
        p.setPen(outlinePen(QColor(0xc2, 0x7c, 0x0e), px));
        p.setBrush(palette::Gold);
        p.drawPath(star);
        break;
    }
    case Badge::Ribbon: {
        QPainterPath ribbon;
        ribbon.moveTo(9.4, 7.6);
        ribbon.lineTo(14.6, 7.6);
        ribbon.lineTo(14.6, 15.4);
        ribbon.lineTo(12.0, 13.2);
        ribbon.lineTo(9.4, 15.4);
        ribbon.closeSubpath();
        clearBehind(p, ribbon, gap);
        p.setPen(outlinePen(edgeOf(palette::Red), px));
        p.setBrush(palette::Red);
        p.drawPath(ribbon);
        break;
    }
    case Badge::Saving: {
        QPainterPath square;
        square.addRoundedRect(QRectF(at.x() - radius, at.y() - radius, 2 * radius, 2 * radius), 1.2, 1.2);
        clearBehind(p, square, gap);
        const qreal w = outlineWidth(px);
        p.setPen(outlinePen(edgeOf(palette::Red), px));
        p.setBrush(palette::Red);
        p.drawRoundedRect(QRectF(at.x() - radius + w / 2, at.y() - radius + w / 2, 2 * radius - w, 2 * radius - w),
                          1.2, 1.2);
        arrow(p, at + QPointF(0.0, -2.5), at + QPointF(0.0, 2.5), Qt::white, 1.4);
        break;
    }
    }
}

} // namespace quillon::ui::icons::art
