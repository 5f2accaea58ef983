#pragma once
// Which browsers have a window open: the top-level windows are walked,
// topmost first, and the browsers are known by how they title their windows.

#include "platform/TopLevelWindows.h"

#include <string_view>

namespace quillon::capture {

struct BrowserWindowsFound {
    bool ExplorerWindowFound = false;
    bool NetscapeWindowFound = false;
};

// "... Microsoft Internet Explorer ..." anywhere in the title.
bool isExplorerTitle(std::string_view title);
// "Netscape" whose first occurrence ends the title, as in "Page - Netscape".
bool isNetscapeTitle(std::string_view title);

// Visible windows without parent or owner, with a title (its first 2047
// bytes); the walk stops once both browsers are found.
BrowserWindowsFound FindBrowserWindows(platform::TopLevelWindows& windows);

} // namespace quillon::capture
