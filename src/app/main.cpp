// Quillon: answers host-name lookups locally by keeping the hosts file
// filled with the verified addresses of the hosts its user visits.

#include "app/DesktopBrowsers.h"
#include "core/FileErrors.h"
#include "core/ProgramFolders.h"
#include "platform/LocaleFormats.h"
#include "platform/ProcessInfo.h"
#include "platform/SingleInstance.h"
#include "platform/TerminationSignal.h"
#include "platform/XdgFolders.h"
#include "platform/linux/CaresResolver.h"
#include "platform/linux/GlibcResolver.h"
#include "platform/linux/InterruptibleResolver.h"
#include "platform/linux/PkexecHostsWriter.h"
#include "platform/linux/PosixFileSystem.h"
#include "platform/linux/SystemClock.h"
#include "platform/linux/XdgAutostart.h"
#include "ui/ApplicationSetup.h"
#include "ui/DesktopUrlOpener.h"
#include "ui/MessageBoxes.h"
#include "ui/TFormMain.h"

#include <QApplication>

#include <iostream>
#include <memory>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    quillon::ui::setUpApplication();

    const quillon::platform::SingleInstance instance("TFormMain");
    if (!instance.isFirst()) {
        if (!instance.failure().isOk()) {
            // Without the lock a second copy could write the same files.
            quillon::ui::showMessage(nullptr,
                                     QString::fromLocal8Bit(quillon::core::cannotCreateFile(instance.lockPath(),
                                                                                            instance.failure())),
                                     quillon::core::MessageKind::Warning);
            return 1;
        }
        quillon::ui::showMessage(nullptr, QStringLiteral("Quillon already started."),
                                 quillon::core::MessageKind::Information);
        return 0;
    }

    quillon::platform::PosixFileSystem fileSystem;
    quillon::platform::SystemClock clock;
    // A request to end must not wait for a name server that does not answer.
    const auto resolver = std::make_shared<quillon::platform::InterruptibleResolver>(
        std::make_shared<quillon::platform::GlibcResolver>(), quillon::platform::terminationSignalDescriptor());
    quillon::app::DesktopBrowsers browsers(fileSystem);
    // Beside the executable for a build or portable copy; the person's XDG
    // folders for an installed program.
    const quillon::platform::ProgramPlace place = quillon::platform::programPlace(quillon::platform::executableFolder());
    const quillon::core::ProgramFolders folders = quillon::core::chooseProgramFolders(place);
    for (const std::string& folder : { folders.settings, folders.data }) {
        if (!quillon::platform::makeFolders(folder))
            std::cerr << "Quillon: cannot create the folder " << folder << std::endl;
    }
    quillon::ui::MainWindowEnvironment environment { fileSystem, clock, *resolver, browsers.system, folders,
                                                     quillon::platform::localeDateTimeFormats(), nullptr, {},
                                                     browsers.histories, &browsers.programs };
    quillon::platform::PkexecHostsWriter hostsWriter(
        quillon::platform::PkexecHostsWriter::SystemPkexec,
        quillon::platform::hostsHelperPath(place.executableFolder, !place.installedAssets.empty()));
    environment.hostsWriter = &hostsWriter;
    // Many names at once (runs, captures' lookups): every question on its
    // way from one thread, none of them holding a thread of its own.
    environment.lookups = std::make_shared<quillon::platform::CaresResolver>();
    quillon::ui::DesktopUrlOpener opener;
    quillon::platform::XdgAutostart autostart(fileSystem, quillon::platform::XdgAutostart::defaultPath());
    environment.opener = &opener;
    environment.autostart = &autostart;
    quillon::ui::TFormMain window(environment);
    window.start();
    return QApplication::exec();
}
