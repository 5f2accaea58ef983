#pragma once
// The browsers' side of the Linux desktop, as the program uses it: DDE
// conversations over local sockets, the X11 window list, the registry store
// and the visited-page history of the person's own folders; and the
// profiles of the browsers people run, with a private folder for copies of
// their histories.

#include "capture/BrowserHistoryImports.h"
#include "capture/BrowserProfiles.h"
#include "capture/BrowserSystem.h"
#include "platform/linux/PosixFileSystem.h"
#include "platform/linux/PosixPrograms.h"
#include "platform/linux/RegistryStore.h"
#include "platform/linux/SocketDdeClient.h"
#include "platform/linux/UrlCacheFile.h"
#include "platform/XdgFolders.h"
#include "platform/linux/X11TopLevelWindows.h"

#include <iostream>

namespace quillon::app {

struct DesktopBrowsers {
    explicit DesktopBrowsers(platform::FileSystem& fs)
        : registry(fs, platform::RegistryStore::defaultPath())
        , visited(fs, platform::UrlCacheFile::defaultPath())
    {
        // Looked for where the browsers make them, and again as they change.
        histories.home = platform::homeFolder();
        histories.configHome = platform::xdgConfigHome();
        histories.copyFolder = platform::privateRuntimeFolder("quillon-history").value_or(std::string());
        // Said once: without the folder, capture from these browsers is off.
        if (histories.copyFolder.empty())
            std::cerr << "Quillon: capture from Firefox and Chromium is off: the private folder \""
                      << platform::privateRuntimeFolderPath("quillon-history")
                      << "\" for copies of their histories could not be made (it must be a folder of your own that "
                         "no one else may open)."
                      << std::endl;
    }

    platform::SocketDdeClient dde;
    platform::X11TopLevelWindows windows;
    platform::RegistryStore registry;
    platform::UrlCacheFile visited;
    capture::BrowserSystem system { dde, windows, registry, visited };
    capture::BrowserHistories histories;
    platform::PosixPrograms programs;
};

} // namespace quillon::app
