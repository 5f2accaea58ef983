#pragma once
// What capture asks of the desktop system: conversations with the browsers,
// the top-level windows, the registry and the history of visited pages.

#include "platform/DdeClient.h"
#include "platform/Registry.h"
#include "platform/TopLevelWindows.h"
#include "platform/VisitedUrls.h"

namespace quillon::capture {

struct BrowserSystem {
    platform::DdeClient& dde;
    platform::TopLevelWindows& windows;
    platform::Registry& registry;
    platform::VisitedUrls& visitedUrls;
};

} // namespace quillon::capture
