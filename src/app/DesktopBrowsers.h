#pragma once
// The browsers' side of the Linux desktop, as the program uses it: DDE
// conversations over local sockets, the X11 window list, the registry store
// and the visited-page history of the person's own folders.

#include "capture/BrowserSystem.h"
#include "platform/linux/PosixFileSystem.h"
#include "platform/linux/RegistryStore.h"
#include "platform/linux/SocketDdeClient.h"
#include "platform/linux/UrlCacheFile.h"
#include "platform/linux/X11TopLevelWindows.h"

namespace quillon::app {

struct DesktopBrowsers {
    explicit DesktopBrowsers(platform::FileSystem& fs)
        : registry(fs, platform::RegistryStore::defaultPath())
        , visited(fs, platform::UrlCacheFile::defaultPath())
    {
    }

    platform::SocketDdeClient dde;
    platform::X11TopLevelWindows windows;
    platform::RegistryStore registry;
    platform::UrlCacheFile visited;
    capture::BrowserSystem system { dde, windows, registry, visited };
};

} // namespace quillon::app
