#pragma once
// Imports from the browsers' own histories and bookmarks: every profile of
// the family is read (history from a private copy), each host once, and the
// hosts are admitted (each resolved) with the report of the hosts added.

#include "capture/BrowserProfiles.h"
#include "core/App.h"

#include <string>
#include <vector>

namespace quillon::capture {

// Where the profiles are and where private copies go.
struct BrowserHistories {
    std::vector<BrowserProfile> profiles;
    std::string copyFolder;
};

enum class BrowserImport { History, Bookmarks };

// Candidates from every profile of family, each host once (letter case
// ignored), in the order the profiles and their rows give them.
void collectBrowserHosts(platform::FileSystem& fs, const BrowserHistories& histories, BrowserFamily family,
                         BrowserImport what, core::RecordList& candidates);

void importFromBrowsers(core::App& app, const BrowserHistories& histories, BrowserFamily family, BrowserImport what);

} // namespace quillon::capture
