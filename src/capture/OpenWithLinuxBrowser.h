#pragma once
// Opening the selected host in the browsers people run on Linux: the
// desktop's default browser, Firefox or a Chromium-family browser, each at
// http:// and the host name.

#include "core/App.h"
#include "platform/Programs.h"

#include <functional>
#include <string>

namespace quillon::capture {

enum class LinuxBrowser { Default, Firefox, Chromium };

// The installed programs; empty when not installed.
struct InstalledBrowsers {
    std::string firefox;
    std::string chromium;
};

InstalledBrowsers findInstalledBrowsers(platform::Programs& programs);

struct LinuxBrowserLauncher {
    platform::Programs& programs;
    InstalledBrowsers installed;
    // The desktop's handler for a URL; false when there is none.
    std::function<bool(const std::string& url)> openDefault;
};

// Opens the current page's first selected host; says when the browser could
// not be started. Without a selection nothing happens.
void OpenSelectedHostWith(core::App& app, LinuxBrowserLauncher& launcher, LinuxBrowser browser);

} // namespace quillon::capture
