#include "capture/ExplorerImports.h"

#include "capture/Admission.h"
#include "capture/ImportRun.h"
#include "capture/LinkScan.h"
#include "capture/UrlToHost.h"
#include "core/IniFile.h"

namespace quillon::capture {

namespace {

const char* const ShellFoldersKey = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

char lowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

bool matchesMask(std::string_view name, std::string_view mask)
{
    if (mask == "*.*")
        return true;
    // Greedy matching with one remembered star: linear in practice.
    std::size_t n = 0, m = 0, starMask = std::string_view::npos, starName = 0;
    while (n < name.size()) {
        if (m < mask.size() && (mask[m] == '?' || lowerAscii(mask[m]) == lowerAscii(name[n]))) {
            ++n;
            ++m;
        } else if (m < mask.size() && mask[m] == '*') {
            starMask = m++;
            starName = n;
        } else if (starMask != std::string_view::npos) {
            m = starMask + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == '*')
        ++m;
    return m == mask.size();
}

void FindFilesRecursive(platform::FileSystem& fs, std::string folder, const std::string& mask,
                        std::vector<std::string>& paths)
{
    if (folder.empty() || folder.back() != '/')
        folder.push_back('/');
    std::vector<platform::FolderEntry> entries;
    if (!fs.listFolder(folder, entries))
        return;
    std::vector<std::string> subfolders;
    for (const platform::FolderEntry& e : entries) {
        if (!e.isFolder && matchesMask(e.name, mask))
            paths.push_back(folder + e.name);
        else if (e.isFolder && e.name.front() != '.')
            subfolders.push_back(folder + e.name);
    }
    for (std::string& sub : subfolders)
        FindFilesRecursive(fs, std::move(sub), mask, paths);
}

void CollectFavorites(platform::FileSystem& fs, const std::string& folder, const std::string& mask,
                      core::RecordList& candidates)
{
    std::vector<std::string> paths;
    FindFilesRecursive(fs, folder, mask, paths);
    for (const std::string& path : paths) {
        const core::IniFile shortcut(fs, path);
        const std::string url = shortcut.readString("InternetShortcut", "URL").value_or(std::string());
        if (std::string host = cleanHostName(url, UrlSource::Plain); !host.empty())
            candidates.push_back(candidateFor(std::move(host)));
    }
}

void CollectVisitedUrls(platform::VisitedUrls& visited, core::RecordList& candidates)
{
    visited.forEach([&](std::string_view entry) {
        if (std::string host = cleanHostName(entry, UrlSource::CacheEntry); !host.empty())
            candidates.push_back(candidateFor(std::move(host)));
    });
}

void MenuImportIExplorerBookmarksClick(core::App& app, BrowserSystem& browsers)
{
    const std::string folder = browsers.registry.readValue(platform::RegistryRoot::CurrentUser, ShellFoldersKey, "Favorites")
                                   .value_or(std::string());
    if (folder.empty()) {
        app.dialogs.ask("Cannot find Internet Explorer \"Favorites\" folder.", core::MessageKind::Warning);
        return;
    }
    showCollectionPanel(app, "Processing Favorites...");
    core::RecordList candidates;
    CollectFavorites(app.fs, folder, app.state.settings.FileExtIEBookmarks, candidates);
    reportImported(app, admitCollected(app, candidates));
}

void MenuImportIExplorerCacheClick(core::App& app, BrowserSystem& browsers)
{
    showCollectionPanel(app, "Processing visited Hosts...");
    core::RecordList candidates;
    CollectVisitedUrls(browsers.visitedUrls, candidates);
    reportImported(app, admitCollected(app, candidates));
}

} // namespace quillon::capture
