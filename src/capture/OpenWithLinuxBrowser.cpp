#include "capture/OpenWithLinuxBrowser.h"

#include "capture/OpenInBrowser.h"

namespace quillon::capture {

InstalledBrowsers findInstalledBrowsers(platform::Programs& programs)
{
    return { programs.find({ "firefox", "firefox-esr" }),
             programs.find({ "chromium", "chromium-browser", "google-chrome", "google-chrome-stable", "brave-browser",
                             "microsoft-edge", "vivaldi" }) };
}

void OpenSelectedHostWith(core::App& app, LinuxBrowserLauncher& launcher, LinuxBrowser browser)
{
    const std::optional<std::string> host = selectedHostName(app);
    if (!host)
        return;
    const std::string url = "http://" + *host;
    switch (browser) {
    case LinuxBrowser::Default:
        if (!launcher.openDefault || !launcher.openDefault(url))
            app.dialogs.ask("Default browser not found.", core::MessageKind::Warning);
        return;
    case LinuxBrowser::Firefox:
        if (launcher.installed.firefox.empty() || !launcher.programs.start(launcher.installed.firefox, { url }))
            app.dialogs.ask("Firefox not found.", core::MessageKind::Warning);
        return;
    case LinuxBrowser::Chromium:
        if (launcher.installed.chromium.empty() || !launcher.programs.start(launcher.installed.chromium, { url }))
            app.dialogs.ask("Chromium not found.", core::MessageKind::Warning);
        return;
    }
}

} // namespace quillon::capture
