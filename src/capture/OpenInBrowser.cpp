#include "capture/OpenInBrowser.h"

#include "core/ListPage.h"

namespace quillon::capture {

bool OpenHostInBrowser(core::App& app, BrowserSystem& browsers, const std::string& host, Browser browser)
{
    const BrowserEntry& entry = browserEntry(browser);
    const std::string program =
        browsers.registry.readValue(platform::RegistryRoot::LocalMachine, entry.appPathsKey, "").value_or(std::string());
    if (program.empty() || !app.fs.fileExists(program))
        return false;
    // Starting a browser can take a while; the requests wait for it.
    app.shell.setBusyCursor(true);
    auto conversation = browsers.dde.connect(entry.service, TopicActivate, program);
    if (conversation)
        conversation->request(LastActiveWindow);
    if (!conversation || !conversation->changeTopic(TopicOpenURL)) {
        conversation.reset();
        conversation = browsers.dde.connect(entry.service, TopicOpenURL, program);
    }
    // The bare host, without a scheme, into the last active window.
    if (conversation)
        conversation->request(host + ",,0xFFFFFFFF,0x3,,,");
    app.shell.setBusyCursor(false);
    return true;
}

std::optional<std::string> selectedHostName(core::App& app)
{
    const int page = app.shell.currentPage();
    const std::vector<int> rows = app.shell.selectedRows(page);
    const auto& records = app.state.store.page(core::pageFromIndex(page));
    if (rows.empty() || static_cast<std::size_t>(rows.front()) >= records.size())
        return std::nullopt;
    return records.at(static_cast<std::size_t>(rows.front())).HostName;
}

void OpenSelectedHost(core::App& app, BrowserSystem& browsers, Browser browser)
{
    const std::optional<std::string> host = selectedHostName(app);
    if (host && !OpenHostInBrowser(app, browsers, *host, browser))
        app.dialogs.ask(browserEntry(browser).notFound, core::MessageKind::Warning);
}

} // namespace quillon::capture
