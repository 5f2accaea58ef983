#include "verify/AddHost.h"

#include "capture/IndexOfHost.h"
#include "capture/IsIgnoredHost.h"
#include "capture/UrlToHost.h"
#include "core/DateTime.h"
#include "core/HostName.h"
#include "verify/NameResolution.h"
#include "verify/TWinshoeIPWatch.h"

namespace quillon::verify {

namespace {

constexpr const char* InvalidHost = "Invalid Host name.";
constexpr const char* IgnoredHost = "Host to be ignored.";
constexpr const char* AlreadyListed = "Host already in list.";
constexpr const char* CannotVerify = "Can't verify Host: add to Wait List ?";

std::string trimSpaces(const std::string& text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// Resolves host with the work panel showing it (nothing to cancel: a single
// lookup).
std::string resolveShowingPanel(core::App& app, const std::string& host)
{
    core::WorkPanelSetup setup;
    setup.action = "Verifying Host:";
    setup.url = host;
    setup.cancelEnabled = false;
    app.dialogs.showWorkPanel(setup);
    app.dialogs.repaintWorkPanel();
    const std::string address = VerifyHost(app, host);
    app.dialogs.hideWorkPanel();
    return address;
}

} // namespace

void AddHost(core::App& app, AddHostMode mode)
{
    core::HostStore& store = app.state.store;
    const auto dialog = app.dialogs.inputDialog("Add Host", "");
    while (dialog->exec()) {
        const std::string typed = core::toLowerAscii(trimSpaces(dialog->text()));
        const std::string host = capture::cleanHostName(typed, capture::UrlSource::Plain);
        dialog->setText(host);
        if (host.empty()) {
            // Characters no host name may hold are named, so the person
            // sees what was refused (an invisible one included).
            const std::string why = core::hostNameRefusal(capture::UrlToHost(typed, capture::UrlSource::Plain));
            app.dialogs.ask(why.empty() ? std::string(InvalidHost) : std::string(InvalidHost) + "\n\n" + why,
                            core::MessageKind::Warning);
            continue;
        }
        if (mode == AddHostMode::WithVerification && !connectionOrConsent(app))
            break;
        if (capture::IsIgnoredHost(store, host)) {
            app.dialogs.ask(IgnoredHost, core::MessageKind::Warning);
            continue;
        }
        // A further name of a listed entry is on its hosts file line already:
        // the resolver would answer from that line, not afresh.
        if (capture::IndexOfHost(store, host) >= 0 || store.activeAliasesHold(host)) {
            app.dialogs.ask(AlreadyListed, core::MessageKind::Warning);
            continue;
        }

        auto record = std::make_unique<core::TRecHost>();
        record->HostName = host;
        if (mode == AddHostMode::WithVerification) {
            const std::string address = resolveShowingPanel(app, host);
            if (!address.empty()) {
                record->IP = address;
                record->Date = core::now(app.clock);
                record->Status = core::StatusVerified;
                store.insertTopOfHosts(std::move(record));
                break;
            }
            if (app.dialogs.ask(CannotVerify, core::MessageKind::QuestionDefaultYes) != core::Answer::Yes)
                continue;
        }
        record->Status = core::StatusWaiting;
        store.insertTopOfWait(std::move(record));
        break;
    }
    app.shell.showHostCount();
}

} // namespace quillon::verify
