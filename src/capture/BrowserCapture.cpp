#include "capture/BrowserCapture.h"

#include "capture/BrowserWindows.h"
#include "capture/Browsers.h"
#include "capture/UrlToHost.h"
#include "verify/TWinshoeIPWatch.h"

namespace quillon::capture {

std::string GetBrowserHost(platform::DdeClient& dde, const std::string& service)
{
    std::string reply;
    // The conversation lives for this one request.
    if (auto conversation = dde.connect(service, TopicGetWindowInfo))
        reply = conversation->request(LastActiveWindow);
    return cleanHostName(reply, UrlSource::BrowserReply);
}

bool captureVerifyFlag(const core::App& app)
{
    return app.state.settings.DDEVerify && verify::IsConnectionDetected(app);
}

void TimerDDETimer(core::App& app, BrowserSystem& browsers, CaptureLookups& lookups)
{
    lookups.applyAnswers(app);
    const core::Settings& settings = app.state.settings;
    const BrowserWindowsFound found = FindBrowserWindows(browsers.windows);
    const bool verifyNow = captureVerifyFlag(app);
    const struct {
        bool wanted;
        Browser browser;
    } askInTurn[] = {
        { settings.DDECaptureIExplore && found.ExplorerWindowFound, Browser::InternetExplorer },
        { settings.DDECaptureNetscape && found.NetscapeWindowFound, Browser::NetscapeNavigator },
    };
    for (const auto& b : askInTurn) {
        if (!b.wanted)
            continue;
        const std::string host = GetBrowserHost(browsers.dde, browserEntry(b.browser).service);
        if (!host.empty())
            lookups.admit(app, host, verifyNow);
    }
}

void MenuTestDDEClick(core::App& app, BrowserSystem& browsers)
{
    app.dialogs.ask("Explorer: " + GetBrowserHost(browsers.dde, "IEXPLORE"), core::MessageKind::Information);
    app.dialogs.ask("Netscape: " + GetBrowserHost(browsers.dde, "NETSCAPE"), core::MessageKind::Information);
}

} // namespace quillon::capture
