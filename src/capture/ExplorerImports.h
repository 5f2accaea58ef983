#pragma once
// The Internet Explorer imports: the Favorites folder's shortcut files and
// the history of visited pages, each turned into candidate names and
// admitted (each resolved), with a report of the hosts added.

#include "capture/BrowserSystem.h"
#include "core/App.h"
#include "core/HostSequence.h"

#include <string>
#include <string_view>
#include <vector>

namespace quillon::capture {

// A file name against a mask with "*" and "?", letter case ignored; "*.*"
// takes every name, as it always has on the desktop this comes from.
bool matchesMask(std::string_view name, std::string_view mask);

// Appends the files of folder matching mask: the folder's own files first,
// then each subfolder's in turn, depth first; folders whose name begins with
// "." are not searched. Folders that cannot be read give nothing.
void FindFilesRecursive(platform::FileSystem& fs, std::string folder, const std::string& mask,
                        std::vector<std::string>& paths);

// A candidate for every shortcut file whose URL gives a host name.
void CollectFavorites(platform::FileSystem& fs, const std::string& folder, const std::string& mask,
                      core::RecordList& candidates);
// A candidate for every visited page whose URL gives a host name.
void CollectVisitedUrls(platform::VisitedUrls& visited, core::RecordList& candidates);

void MenuImportIExplorerBookmarksClick(core::App& app, BrowserSystem& browsers);
void MenuImportIExplorerCacheClick(core::App& app, BrowserSystem& browsers);

} // namespace quillon::capture
