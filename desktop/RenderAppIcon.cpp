// Draws the program's emblem as PNG files for the hicolor icon theme:
//   render_app_icon <folder> <size>...
// writes <folder>/<size>x<size>/apps/quillon.png for every size. The
// pictures come from the same painter as the window icon, which thins and
// drops lines at small sizes, so every size is as sharp as the window's own.

#include "ui/IconArt.h"
#include "ui/PaintedIconEngine.h"

#include <QDir>
#include <QImage>
#include <QString>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <folder> <size>...\n", argv[0]);
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    for (int i = 2; i < argc; ++i) {
        bool ok = false;
        const int side = QString::fromLocal8Bit(argv[i]).toInt(&ok);
        if (!ok || side <= 0) {
            std::fprintf(stderr, "%s: not a size: %s\n", argv[0], argv[i]);
            return 2;
        }
        const QString dir = QStringLiteral("%1/%2x%2/apps").arg(folder).arg(side);
        const QString file = dir + QStringLiteral("/quillon.png");
        const QImage image = quillon::ui::PaintedIconEngine::render(
            [](QPainter& p, qreal px) { quillon::ui::icons::art::emblem(p, px); }, QSize(side, side));
        if (!QDir().mkpath(dir) || !image.save(file, "PNG")) {
            std::fprintf(stderr, "%s: cannot write %s\n", argv[0], qPrintable(file));
            return 1;
        }
    }
    return 0;
}
