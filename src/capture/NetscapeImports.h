#pragma once
// The Netscape Navigator imports: a bookmark file the person picks, and the
// browser's cache listing, which a running (or started) Netscape saves into
// Quillon.n01 on request. Both scan links line by line and admit the hosts
// found (each resolved), with a report of the hosts added.

#include "capture/BrowserSystem.h"
#include "core/App.h"

namespace quillon::capture {

// Has Netscape save its cache listing into Quillon.n01 and then show
// Quillon.n02; false when Netscape's program is not registered or missing.
bool SaveNetscapeCache(core::App& app, BrowserSystem& browsers);

void MenuImportNetscapeBookmarksClick(core::App& app, BrowserSystem& browsers);
void MenuImportNetscapeCacheClick(core::App& app, BrowserSystem& browsers);

} // namespace quillon::capture
