#pragma once
// Live capture: at every tick of the capture timer, each browser that has a
// window open is asked which page its last active window shows, and that
// page's host is admitted. A tick never shows a message, and never waits for
// a name server: the lookups that captures need run in CaptureLookups.

#include "capture/BrowserSystem.h"
#include "capture/CaptureLookups.h"
#include "core/App.h"

#include <string>

namespace quillon::capture {

// The host of the page that the browser registered under service (letter
// case ignored) shows in its last active window; empty when it does not
// answer, or shows no web page, or the name is not one the lists may take.
std::string GetBrowserHost(platform::DdeClient& dde, const std::string& service);

// Whether captured hosts are resolved at once: DDEVerify, and the
// connection test (made only when DDEVerify is on).
bool captureVerifyFlag(const core::App& app);

// The capture timer's tick: first the answers that arrived for earlier
// captures are admitted, then the browsers' pages.
void TimerDDETimer(core::App& app, BrowserSystem& browsers, CaptureLookups& lookups);

// "Test &DDE Browser" of the hidden "[ &Test ]" menu: what each browser
// reports, "Explorer: HOST" then "Netscape: HOST", without looking for their
// windows first and without admitting anything.
void MenuTestDDEClick(core::App& app, BrowserSystem& browsers);

} // namespace quillon::capture
