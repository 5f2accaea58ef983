// Quillon: answers host-name lookups locally by keeping the hosts file
// filled with the verified addresses of the hosts its user visits.

#include "platform/LocaleFormats.h"
#include "platform/ProcessInfo.h"
#include "platform/SingleInstance.h"
#include "platform/linux/GlibcResolver.h"
#include "platform/linux/PosixFileSystem.h"
#include "platform/linux/SystemClock.h"
#include "ui/MessageBoxes.h"
#include "ui/TFormMain.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillon"));
    QApplication::setApplicationDisplayName(QStringLiteral("Quillon"));
    QApplication::setDesktopFileName(QStringLiteral("quillon"));
    // Closing the window sends it to the tray; only the tray's Exit ends us.
    QApplication::setQuitOnLastWindowClosed(false);

    const quillon::platform::SingleInstance instance("TFormMain");
    if (!instance.isFirst()) {
        quillon::ui::showMessage(nullptr, QStringLiteral("Quillon already started."),
                                 quillon::core::MessageKind::Information);
        return 0;
    }

    quillon::platform::PosixFileSystem fileSystem;
    quillon::platform::SystemClock clock;
    quillon::platform::GlibcResolver resolver;
    quillon::ui::MainWindowEnvironment environment { fileSystem, clock, resolver,
                                                     quillon::platform::executableFolder(),
                                                     quillon::platform::localeDateTimeFormats(), nullptr, {} };
    quillon::ui::TFormMain window(environment);
    window.start();
    return QApplication::exec();
}
