#include "ui/Icons.h"

#include "ui/IconArt.h"
#include "ui/PaintedIconEngine.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>

#include <array>
#include <cmath>
#include <utility>

namespace quillon::ui::icons {

namespace {

using Art = PaintedIconEngine::Art;

constexpr auto ProgramName = "Quillon";
constexpr auto Subtitle = "Faster browsing with a local hosts file";
constexpr auto VersionText = "Version 1.1.0";

QIcon painted(const QString& name, Art art)
{
    // QIcon owns the engine it is given.
    return QIcon(new PaintedIconEngine(name, std::move(art)));
}

// Draws `art` into `box` of a painter working in logical pixels.
void drawArt(QPainter& p, const QRectF& box, qreal devicePixelRatio, const Art& art)
{
    p.save();
    p.translate(box.topLeft());
    const qreal scale = box.width() / 16.0;
    p.scale(scale, scale);
    art(p, 1.0 / (scale * devicePixelRatio));
    p.restore();
}

// Draws a glyph shrunk into the upper left of the box, leaving room for a badge.
void shrunk(QPainter& p, qreal px, qreal side, const Art& art)
{
    p.save();
    const qreal scale = side / 16.0;
    p.scale(scale, scale);
    art(p, px / scale);
    p.restore();
}

void emblemArt(QPainter& p, qreal px, int indicator)
{
    art::emblem(p, px);
    if (indicator != 1 && indicator != 2)
        return;
    art::badge(p, px, indicator == 1 ? art::Badge::Lit : art::Badge::Saving);
}

Art globeWithBadge(const QColor& sea, art::Badge kind)
{
    return [sea, kind](QPainter& p, qreal px) {
        shrunk(p, px, 14.0, [sea](QPainter& q, qreal qpx) { art::globe(q, qpx, sea); });
        art::badge(p, px, kind);
    };
}

struct MenuPicture {
    MenuIcon which;
    const char* themeName; // empty where no freedesktop standard name fits
    Art art;
};

const std::array<MenuPicture, 33>& menuPictures()
{
    using art::Badge;
    using enum MenuIcon;
    namespace pal = art::palette;
    static const std::array<MenuPicture, 33> pictures{{
        {OpenHost, "internet-web-browser",
         [](QPainter& p, qreal px) {
             shrunk(p, px, 13.0, [](QPainter& q, qreal qpx) { art::globe(q, qpx, pal::Blue); });
             art::arrow(p, QPointF(9.0, 7.0), QPointF(15.0, 1.0), pal::Ink, 1.7);
         }},
        {ImportHosts, "document-open",
         [](QPainter& p, qreal px) {
             art::document(p, px);
             art::arrow(p, QPointF(0.6, 9.0), QPointF(9.6, 9.0), pal::Green, 2.0);
         }},
        {ExportHosts, "document-save-as",
         [](QPainter& p, qreal px) {
             p.save();
             p.translate(-2.0, 0.0);
             art::document(p, px);
             p.restore();
             art::arrow(p, QPointF(5.6, 9.0), QPointF(15.4, 9.0), pal::Blue, 2.0);
         }},
        {Save, "document-save", art::floppy},
        {Updates, "system-software-update", art::downloadDisc},
        {Close, "window-close",
         [](QPainter& p, qreal px) {
             art::windowFrame(p, px);
             art::cross(p, QRectF(5.6, 7.4, 4.8, 4.8), pal::Red, 1.8);
         }},
        {EmptyTrash, "user-trash", art::bin},
        {AddHost, "list-add", globeWithBadge(pal::Blue, Badge::Plus)},
        {Alias, "", art::tag},
        {Restore, "edit-undo", art::undoArrow},
        {Delete, "edit-delete", [](QPainter& p, qreal) { art::cross(p, QRectF(3.2, 3.2, 9.6, 9.6), pal::Red, 2.6); }},
        {SortAscending, "view-sort-ascending", [](QPainter& p, qreal px) { art::sortBars(p, px, true); }},
        {SortDescending, "view-sort-descending", [](QPainter& p, qreal px) { art::sortBars(p, px, false); }},
        {Find, "edit-find", [](QPainter& p, qreal px) { art::magnifier(p, px, false); }},
        {SelectAll, "edit-select-all", [](QPainter& p, qreal px) { art::selection(p, px, false); }},
        {InvertSelection, "", [](QPainter& p, qreal px) { art::selection(p, px, true); }},
        {VerifySelected, "",
         [](QPainter& p, qreal px) {
             art::listRows(p, px);
             art::badge(p, px, Badge::Check);
         }},
        {VerifyHosts, "", globeWithBadge(pal::Blue, Badge::Check)},
        {VerifyWait, "",
         [](QPainter& p, qreal px) {
             shrunk(p, px, 14.0, [](QPainter& q, qreal qpx) { art::hourglass(q, qpx, pal::Slate, pal::Gold); });
             art::badge(p, px, Badge::Check);
         }},
        {AutoVerify, "view-refresh", art::refreshArrows},
        {ManualVerify, "", [](QPainter& p, qreal px) { art::magnifier(p, px, true); }},
        {IgnoreList, "", art::forbidden},
        {HostsChanges, "document-open-recent",
         [](QPainter& p, qreal px) {
             art::document(p, px);
             art::badge(p, px, Badge::Clock);
         }},
        {Options, "preferences-system", art::gear},
        {ImportIECache, "", globeWithBadge(pal::Blue, Badge::Clock)},
        {ImportIEFavorites, "", globeWithBadge(pal::Blue, Badge::Star)},
        {ImportNetscapeCache, "", globeWithBadge(pal::Teal, Badge::Clock)},
        {ImportNetscapeBookmarks, "", globeWithBadge(pal::Teal, Badge::Ribbon)},
        {Help, "help-contents", art::helpDisc},
        {Legend, "", art::legendRows},
        {HomePage, "go-home", art::house},
        {About, "help-about", art::infoDisc},
        {Exit, "application-exit", art::power},
    }};
    return pictures;
}

QFont wordmarkFont(qreal pixelSize, bool bold)
{
    QFont font;
    font.setFamilies({QStringLiteral("Noto Sans"), QStringLiteral("Cantarell"), QStringLiteral("DejaVu Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(pixelSize))));
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    return font;
}

// The name with its first letter in the emblem's blue.
void drawWordmark(QPainter& p, const QPointF& baseline, const QFont& font)
{
    const QString name = QString::fromLatin1(ProgramName);
    p.setFont(font);
    p.setPen(QColor(0x16, 0x6c, 0xc0));
    p.drawText(baseline, name.left(1));
    p.setPen(art::palette::Ink);
    p.drawText(baseline + QPointF(QFontMetricsF(font).horizontalAdvance(name.left(1)), 0.0), name.mid(1));
}

QPixmap blankPixmap(const QSizeF& logical, qreal devicePixelRatio)
{
    QPixmap pixmap(static_cast<int>(std::ceil(logical.width() * devicePixelRatio)),
                   static_cast<int>(std::lround(logical.height() * devicePixelRatio)));
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

} // namespace

QIcon statusIcon(int status)
{
    switch (status) {
    case 0:
        return painted(QStringLiteral("status-waiting"), [](QPainter& p, qreal px) {
            art::hourglass(p, px, art::palette::Slate, art::palette::Slate.lighter(135));
        });
    case 1:
        return painted(QStringLiteral("status-saved"), art::savedDisc);
    case 2:
        return painted(QStringLiteral("status-visited"), art::visitedDisc);
    case 3:
        return painted(QStringLiteral("status-verified"), art::verifiedSquare);
    default:
        return {};
    }
}

QIcon tabIcon(int tab)
{
    switch (tab) {
    case 0:
        return painted(QStringLiteral("tab-hosts"),
                       [](QPainter& p, qreal px) { art::globe(p, px, art::palette::Blue); });
    case 1:
        return painted(QStringLiteral("tab-wait"), [](QPainter& p, qreal px) {
            art::hourglass(p, px, QColor(0x4d, 0x59, 0x64), art::palette::Gold.darker(110));
        });
    case 2:
        return painted(QStringLiteral("tab-trash"), art::bin);
    default:
        return {};
    }
}

QPixmap activityPixmap(int indicator, qreal devicePixelRatio)
{
    const qreal dpr = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    const int side = static_cast<int>(std::lround(16 * dpr));
    QPixmap pixmap = QPixmap::fromImage(PaintedIconEngine::render(
        [indicator](QPainter& p, qreal px) { art::led(p, px, indicator); }, QSize(side, side)));
    pixmap.setDevicePixelRatio(dpr);
    return pixmap;
}

QIcon trayIcon(int indicator)
{
    const int shown = indicator >= 0 && indicator <= 2 ? indicator : 0;
    return painted(QStringLiteral("emblem-%1").arg(shown),
                   [shown](QPainter& p, qreal px) { emblemArt(p, px, shown); });
}

QIcon appIcon()
{
    return trayIcon(0);
}

namespace {

const MenuPicture* findMenuPicture(MenuIcon which)
{
    for (const MenuPicture& picture : menuPictures()) {
        if (picture.which == which)
            return &picture;
    }
    return nullptr;
}

} // namespace

QIcon drawnMenuIcon(MenuIcon which)
{
    const MenuPicture* picture = findMenuPicture(which);
    if (!picture)
        return {};
    return painted(QStringLiteral("menu-%1").arg(static_cast<int>(which)), picture->art);
}

QIcon menuIcon(MenuIcon which)
{
    const MenuPicture* picture = findMenuPicture(which);
    if (!picture)
        return {};
    const QString themeName = QString::fromLatin1(picture->themeName);
    QIcon drawn = drawnMenuIcon(which);
    return themeName.isEmpty() ? drawn : QIcon::fromTheme(themeName, drawn);
}

QPixmap logo(int height, qreal devicePixelRatio)
{
    const qreal dpr = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    const qreal h = std::max(height, 8);
    const qreal margin = h * 0.08;
    const qreal emblemSide = h - 2 * margin;
    const qreal gap = h * 0.14;
    const QFont nameFont = wordmarkFont(h * 0.5, true);
    const QFont lineFont = wordmarkFont(h * 0.16, false);
    const bool withSubtitle = h >= 48;
    const qreal nameWidth = QFontMetricsF(nameFont).horizontalAdvance(QString::fromLatin1(ProgramName));
    const qreal lineWidth =
        withSubtitle ? QFontMetricsF(lineFont).horizontalAdvance(QString::fromLatin1(Subtitle)) : 0.0;
    const qreal width = margin + emblemSide + gap + std::max(nameWidth, lineWidth) + margin;

    QPixmap pixmap = blankPixmap(QSizeF(width, h), dpr);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    drawArt(p, QRectF(margin, margin, emblemSide, emblemSide), dpr,
            [](QPainter& q, qreal px) { art::emblem(q, px); });
    const qreal textLeft = margin + emblemSide + gap;
    const QFontMetricsF nameMetrics(nameFont);
    if (withSubtitle) {
        const QFontMetricsF lineMetrics(lineFont);
        const qreal block = nameMetrics.ascent() + nameMetrics.descent() * 0.3 + lineMetrics.height();
        const qreal top = (h - block) / 2;
        drawWordmark(p, QPointF(textLeft, top + nameMetrics.ascent()), nameFont);
        p.setFont(lineFont);
        p.setPen(QColor(0x6a, 0x76, 0x81));
        p.drawText(QPointF(textLeft + h * 0.01, top + block - lineMetrics.descent()), QString::fromLatin1(Subtitle));
    } else {
        drawWordmark(p, QPointF(textLeft, (h + nameMetrics.ascent() - nameMetrics.descent()) / 2), nameFont);
    }
    return pixmap;
}

QPixmap splashPicture(qreal devicePixelRatio)
{
    const qreal dpr = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    const QSizeF size(400, 100);
    QPixmap pixmap = blankPixmap(size, dpr);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    QLinearGradient sky(0, 0, 0, size.height());
    sky.setColorAt(0.0, QColor(0xff, 0xff, 0xff));
    sky.setColorAt(1.0, QColor(0xe4, 0xef, 0xfa));
    p.fillRect(QRectF(QPointF(0, 0), size), sky);

    // A large faint globe behind the right side, cut by the frame.
    p.save();
    p.setClipRect(QRectF(QPointF(0, 0), size));
    p.setPen(QPen(QColor(0x1d, 0x99, 0xf3, 38), 2.0));
    p.setBrush(Qt::NoBrush);
    const QPointF far(352, 64);
    p.drawEllipse(far, 78, 78);
    p.drawEllipse(far, 36, 78);
    p.drawLine(QPointF(far.x(), far.y() - 78), QPointF(far.x(), far.y() + 78));
    p.drawLine(QPointF(far.x() - 78, far.y()), QPointF(far.x() + 78, far.y()));
    p.drawLine(QPointF(far.x() - 70, far.y() - 36), QPointF(far.x() + 70, far.y() - 36));
    p.restore();

    drawArt(p, QRectF(16, 14, 72, 72), dpr, [](QPainter& q, qreal px) { art::emblem(q, px); });

    const QFont nameFont = wordmarkFont(38, true);
    drawWordmark(p, QPointF(104, 50), nameFont);
    p.setFont(wordmarkFont(13, false));
    p.setPen(QColor(0x4d, 0x59, 0x64));
    p.drawText(QPointF(106, 72), QString::fromLatin1(Subtitle));

    const QFont versionFont = wordmarkFont(10.5, false);
    const QString version = QString::fromLatin1(VersionText);
    p.setFont(versionFont);
    p.setPen(QColor(0x6a, 0x76, 0x81));
    p.drawText(QPointF(size.width() - 10 - QFontMetricsF(versionFont).horizontalAdvance(version), 91), version);

    p.setPen(QPen(QColor(0x16, 0x6c, 0xc0), 3.0));
    p.drawLine(QPointF(0, size.height() - 1.5), QPointF(size.width(), size.height() - 1.5));
    p.setPen(QPen(QColor(0x8f, 0xa3, 0xb6), 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(0.5, 0.5, size.width() - 1, size.height() - 1));
    return pixmap;
}

} // namespace quillon::ui::icons
