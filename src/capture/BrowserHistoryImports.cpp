#include "capture/BrowserHistoryImports.h"

#include "capture/Admission.h"
#include "capture/ChromiumBookmarks.h"
#include "capture/HistoryDatabase.h"
#include "capture/ImportRun.h"
#include "capture/LinkScan.h"
#include "capture/UrlToHost.h"
#include "core/HostName.h"

#include <iostream>
#include <unordered_set>

namespace quillon::capture {

namespace {

// A profile that cannot be read adds nothing; why goes to standard error.
void reportUnreadable(const BrowserProfile& p, const std::string& why)
{
    std::cerr << "quillon: " << p.title() << ": " << why << '\n';
}

} // namespace

void collectBrowserHosts(platform::FileSystem& fs, const BrowserHistories& histories, BrowserFamily family,
                         BrowserImport what, core::RecordList& candidates)
{
    // A history holds a page many times and a host on many pages: the
    // candidates are the hosts, once each, so that memory follows the hosts.
    std::unordered_set<std::string> seen;
    const auto take = [&](std::string_view url) {
        std::string host = webPageHost(url);
        if (!host.empty() && seen.insert(core::toLowerAscii(host)).second)
            candidates.push_back(candidateFor(std::move(host)));
    };
    for (const BrowserProfile& p : histories.profiles) {
        if (p.family != family)
            continue;
        std::string error;
        if (family == BrowserFamily::Chromium && what == BrowserImport::Bookmarks) {
            std::string text;
            const std::string file = p.folder + "/Bookmarks";
            if (!fs.fileExists(file))
                continue;
            if (const platform::Status s = fs.readFile(file, text); !s)
                reportUnreadable(p, "cannot read " + file + ": " + s.reason());
            else if (!forEachChromiumBookmark(text, take))
                reportUnreadable(p, file + " is not a bookmark file");
            continue;
        }
        const auto copy = HistoryCopy::make(fs, p.historyFile(), histories.copyFolder, error);
        const auto db = copy ? HistoryDatabase::open(copy->path(), p.family, error) : nullptr;
        const bool ok = db
            && (what == BrowserImport::History ? db->forEachVisitedUrl(take, error)
                                               : db->forEachBookmarkUrl(take, error));
        if (!ok)
            reportUnreadable(p, error);
    }
}

void importFromBrowsers(core::App& app, const BrowserHistories& histories, BrowserFamily family, BrowserImport what)
{
    showCollectionPanel(app, what == BrowserImport::History ? "Processing visited Hosts..." : "Processing Bookmarks...");
    core::RecordList candidates;
    collectBrowserHosts(app.fs, histories, family, what, candidates);
    reportImported(app, admitCollected(app, candidates));
}

} // namespace quillon::capture
