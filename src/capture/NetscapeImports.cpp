#include "capture/NetscapeImports.h"

#include "capture/Admission.h"
#include "capture/BrowserWindows.h"
#include "capture/Browsers.h"
#include "capture/ImportRun.h"
#include "capture/LinkScan.h"
#include "core/FileErrors.h"
#include "core/Interface.h"

namespace quillon::capture {

namespace {

std::string netscapeKey()
{
    return browserEntry(Browser::NetscapeNavigator).appPathsKey;
}

// Quillon.n01 made empty; false (after saying why) when it cannot be.
bool emptyListingFile(core::App& app)
{
    const std::string& path = app.state.paths.n01;
    if (const platform::Status s = app.fs.writeFile(path, {}); !s) {
        core::reportError(app, core::cannotCreateFile(path, s));
        return false;
    }
    return true;
}

} // namespace

bool SaveNetscapeCache(core::App& app, BrowserSystem& browsers)
{
    const std::string program =
        browsers.registry.readValue(platform::RegistryRoot::LocalMachine, netscapeKey(), "").value_or(std::string());
    if (program.empty() || !app.fs.fileExists(program))
        return false;
    const bool windowOpen = FindBrowserWindows(browsers.windows).NetscapeWindowFound;
    // Netscape is started when it does not answer.
    if (auto conversation = browsers.dde.connect(browserEntry(Browser::NetscapeNavigator).service, TopicOpenURL, program)) {
        conversation->request("about:cache," + app.state.paths.n01 + (windowOpen ? ",0x0,0x0,,," : ",0xFFFFFFFF,0x0,,,"));
        conversation->request(app.state.paths.n02 + ",,0xFFFFFFFF,0x0,,,");
    }
    return true;
}

void MenuImportNetscapeBookmarksClick(core::App& app, BrowserSystem& browsers)
{
    std::string startFolder;
    if (browsers.registry.keyExists(platform::RegistryRoot::LocalMachine, netscapeKey()))
        startFolder = browsers.registry.readValue(platform::RegistryRoot::LocalMachine, netscapeKey(), "Path")
                          .value_or(std::string())
            + "/defaults";
    core::FileDialogOptions options;
    options.title = "Import";
    // Exports name their files .htm or .html; both are bookmark files.
    options.filter = "Netscape Bookmarks (*.htm *.html)";
    options.defaultSuffix = "htm";
    options.folder = startFolder;
    // Without Netscape's folder the name is proposed in the dialog's usual place.
    options.fileName = startFolder.empty() ? std::string("bookmark.htm") : startFolder + "/bookmark.htm";
    const std::optional<std::string> file = app.dialogs.openFile(options);
    if (!file)
        return;

    showCollectionPanel(app, "Processing Bookmarks...");
    core::RecordList candidates;
    if (const platform::Status s = ScanLinks(app.fs, *file, candidates, LinkKind::Bookmark); !s) {
        app.dialogs.hideWorkPanel();
        core::reportError(app, core::cannotOpenFile(*file, s));
        return;
    }
    reportImported(app, admitCollected(app, candidates));
}

void MenuImportNetscapeCacheClick(core::App& app, BrowserSystem& browsers)
{
    app.dialogs.ask("Now will start a Netscape session to process visited Hosts.", core::MessageKind::Information);
    if (!emptyListingFile(app))
        return;
    if (!SaveNetscapeCache(app, browsers)) {
        app.dialogs.ask("Netscape not found.", core::MessageKind::Warning);
        return;
    }
    showCollectionPanel(app, "Processing visited Hosts...");
    core::RecordList candidates;
    const platform::Status scanned = ScanLinks(app.fs, app.state.paths.n01, candidates, LinkKind::CacheListing);
    if (!scanned) {
        app.dialogs.hideWorkPanel();
        core::reportError(app, core::cannotOpenFile(app.state.paths.n01, scanned));
        emptyListingFile(app);
        return;
    }
    const int added = admitCollected(app, candidates);
    emptyListingFile(app);
    reportImported(app, added);
}

} // namespace quillon::capture
