#include "capture/BrowserHistoryImports.h"

#include "capture/Admission.h"
#include "capture/ChromiumBookmarks.h"
#include "capture/HistoryDatabase.h"
#include "capture/ImportRun.h"
#include "capture/LinkScan.h"
#include "capture/UrlToHost.h"
#include "core/FileErrors.h"
#include "core/HostName.h"
#include "core/Interface.h"

#include <cctype>
#include <unordered_set>

namespace quillon::capture {

std::string unreadableHistory(const BrowserProfile& p, const std::string& file, const std::string& reason)
{
    std::string why = reason;
    if (!why.empty())
        why.front() = static_cast<char>(std::toupper(static_cast<unsigned char>(why.front())));
    return "Cannot read the history \"" + file + "\" of " + p.title() + ": " + why;
}

void collectBrowserHosts(platform::FileSystem& fs, const BrowserHistories& histories, BrowserFamily family,
                         BrowserImport what, core::RecordList& candidates, std::vector<std::string>& errors)
{
    // A history holds a page many times and a host on many pages: the
    // candidates are the hosts, once each, so that memory follows the hosts.
    std::unordered_set<std::string> seen;
    const auto take = [&](std::string_view url) {
        std::string host = webPageHost(url);
        if (!host.empty() && seen.insert(core::toLowerAscii(host)).second)
            candidates.push_back(candidateFor(std::move(host)));
    };
    std::vector<BrowserProfile> foreign;
    const std::vector<BrowserProfile> profiles = histories.current(fs, nullptr, &foreign);
    for (const BrowserProfile& p : foreign) {
        if (p.family == family)
            errors.push_back(unreadableHistory(p, p.historyFile(), ForeignProfileFolder));
    }
    for (const BrowserProfile& p : profiles) {
        if (p.family != family)
            continue;
        std::string error;
        if (family == BrowserFamily::Chromium && what == BrowserImport::Bookmarks) {
            std::string text;
            const std::string file = p.folder + "/Bookmarks";
            if (!fs.fileExists(file))
                continue;
            if (const platform::Status s = fs.readFile(file, text); !s)
                errors.push_back(core::cannotOpenFile(file, s));
            else if (!forEachChromiumBookmark(text, take))
                errors.push_back("File \"" + file + "\" of " + p.title() + " is not a bookmark file.");
            continue;
        }
        // Without the private folder a copy would go where others may see it.
        if (histories.copyFolder.empty()) {
            errors.push_back(NoCopyFolder);
            return;
        }
        const auto copy = HistoryCopy::make(fs, p.historyFile(), histories.copyFolder, error);
        const auto db = copy ? HistoryDatabase::open(copy->path(), p.family, error) : nullptr;
        const bool ok = db
            && (what == BrowserImport::History ? db->forEachVisitedUrl(take, error)
                                               : db->forEachBookmarkUrl(take, error));
        if (!ok)
            errors.push_back(unreadableHistory(p, p.historyFile(), error));
    }
}

void importFromBrowsers(core::App& app, const BrowserHistories& histories, BrowserFamily family, BrowserImport what)
{
    showCollectionPanel(app, what == BrowserImport::History ? "Processing visited Hosts..." : "Processing Bookmarks...");
    core::RecordList candidates;
    std::vector<std::string> errors;
    collectBrowserHosts(app.fs, histories, family, what, candidates, errors);
    if (!errors.empty()) {
        app.dialogs.hideWorkPanel();
        std::string text;
        for (const std::string& e : errors)
            text += (text.empty() ? "" : "\n") + e;
        core::reportError(app, text);
        // What the other profiles gave is still admitted; a failure alone
        // is not "No new Hosts to import."
        if (candidates.empty())
            return;
    }
    reportImported(app, admitCollected(app, candidates));
}

} // namespace quillon::capture
