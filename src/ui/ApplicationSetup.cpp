#include "ui/ApplicationSetup.h"

#include <QApplication>

namespace quillon::ui {

void setUpApplication()
{
    QApplication::setApplicationName(QStringLiteral("Quillon"));
    QApplication::setDesktopFileName(QStringLiteral("quillon"));
    // Closing the window sends it to the tray; only the tray's Exit ends us.
    QApplication::setQuitOnLastWindowClosed(false);
}

} // namespace quillon::ui
