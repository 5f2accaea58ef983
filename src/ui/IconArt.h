#pragma once
// The program's drawn shapes: the glyphs its icons are made of. Every routine
// paints into a 16 x 16 box of design units on a painter that the caller has
// scaled to the target size (PaintedIconEngine does this); `px` is one device
// pixel in design units (1 at 16 px, 0.5 at 32 px), used for outline widths
// so that outlines stay about one real pixel wide at every size.
//
// One palette serves all pictures so they read as a set: flat fills, a thin
// outline a shade darker than the fill, white marks on coloured shapes.

#include <QColor>

class QPainter;
class QPointF;
class QRectF;

namespace quillon::ui::icons::art {

namespace palette {
inline const QColor Blue{0x1d, 0x99, 0xf3};
inline const QColor Teal{0x16, 0xa0, 0x85};
inline const QColor Green{0x27, 0xae, 0x60};
inline const QColor Amber{0xf6, 0x74, 0x00};
inline const QColor Gold{0xfd, 0xbc, 0x4b};
inline const QColor Red{0xda, 0x44, 0x53};
inline const QColor Slate{0x5b, 0x7b, 0x9a};
inline const QColor Grey{0x95, 0xa5, 0xa6};
inline const QColor Ink{0x31, 0x36, 0x3b};
inline const QColor Paper{0xfc, 0xfc, 0xfc};
} // namespace palette

// Outline width in design units for a picture drawn with pixel size `px`.
qreal outlineWidth(qreal px);

// Host status marks (0 Waiting, 1 Saved, 2 Visited, 3 Verified).
void hourglass(QPainter& p, qreal px, const QColor& frame, const QColor& sand);
void savedDisc(QPainter& p, qreal px);
void visitedDisc(QPainter& p, qreal px);
void verifiedSquare(QPainter& p, qreal px);

// Objects.
void globe(QPainter& p, qreal px, const QColor& sea);
void bin(QPainter& p, qreal px);
void led(QPainter& p, qreal px, int indicator);
void emblem(QPainter& p, qreal px);
void document(QPainter& p, qreal px);
void floppy(QPainter& p, qreal px);
void windowFrame(QPainter& p, qreal px);
void tag(QPainter& p, qreal px);
void magnifier(QPainter& p, qreal px, bool globeLens);
void gear(QPainter& p, qreal px);
void house(QPainter& p, qreal px);
void legendRows(QPainter& p, qreal px);
void listRows(QPainter& p, qreal px);
void selection(QPainter& p, qreal px, bool inverted);
void sortBars(QPainter& p, qreal px, bool ascending);
void forbidden(QPainter& p, qreal px);
void power(QPainter& p, qreal px);

// Marks on a coloured disc filling the box: "?", "i", a down arrow.
void helpDisc(QPainter& p, qreal px);
void infoDisc(QPainter& p, qreal px);
void downloadDisc(QPainter& p, qreal px);

// Free-standing marks.
void cross(QPainter& p, const QRectF& box, const QColor& colour, qreal width);
void arrow(QPainter& p, const QPointF& from, const QPointF& to, const QColor& colour, qreal width);
void undoArrow(QPainter& p, qreal px);
void refreshArrows(QPainter& p, qreal px);

// Small badges in the lower right corner, drawn over another glyph.
enum class Badge { Check, Plus, Clock, Star, Ribbon, Lit, Saving };
void badge(QPainter& p, qreal px, Badge kind);

} // namespace quillon::ui::icons::art
