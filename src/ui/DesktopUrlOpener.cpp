#include "ui/DesktopUrlOpener.h"

#include <QDesktopServices>
#include <QUrl>

namespace quillon::ui {

void DesktopUrlOpener::open(const std::string& urlOrPath)
{
    const QString text = QString::fromLocal8Bit(urlOrPath.data(), static_cast<qsizetype>(urlOrPath.size()));
    const QUrl url = text.startsWith(QLatin1Char('/')) ? QUrl::fromLocalFile(text) : QUrl(text);
    // The handler runs on its own; a page it cannot open is not reported.
    QDesktopServices::openUrl(url);
}

} // namespace quillon::ui
