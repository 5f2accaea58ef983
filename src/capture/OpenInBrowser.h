#pragma once
// Opening the selected host in a browser: the browser's last active window
// comes to the front and loads the host; a browser that is not running is
// started first.

#include "capture/BrowserSystem.h"
#include "capture/Browsers.h"
#include "core/App.h"

#include <optional>
#include <string>

namespace quillon::capture {

// False when the browser's program is not registered or missing; true
// otherwise, whether or not the browser answered.
bool OpenHostInBrowser(core::App& app, BrowserSystem& browsers, const std::string& host, Browser browser);

// The host of the current page's first selected row; nothing without a
// selection.
std::optional<std::string> selectedHostName(core::App& app);

// Opens the host of the current page's first selected row; says when the
// browser cannot be found. Without a selection nothing happens.
void OpenSelectedHost(core::App& app, BrowserSystem& browsers, Browser browser);

} // namespace quillon::capture
