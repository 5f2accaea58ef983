#include "capture/Admission.h"

#include "capture/IndexOfHost.h"
#include "capture/IsIgnoredHost.h"
#include "capture/UrlToHost.h"
#include "core/DateTime.h"
#include "core/HostName.h"
#include "core/Interface.h"
#include "core/WorkProgress.h"
#include "verify/LookAhead.h"
#include "verify/NameResolution.h"
#include "verify/TWinshoeIPWatch.h"
#include "verify/UnverifiableHost.h"

#include <functional>

namespace quillon::capture {

namespace {

// How a capture resolves its host: the address, or the empty text when the
// name does not resolve now. Empty when the capture does not resolve.
using CaptureLookup = std::function<std::string(const std::string& name)>;

// A known host captured again.
void admitKnown(core::App& app, std::size_t position, const std::string& name, const CaptureLookup& lookup)
{
    core::HostStore& store = app.state.store;
    core::TRecHost& r = store.active(position);
    bool changed = false;
    if (!r.Visited) {
        ++r.Freq;
        r.Visited = 1;
        changed = true;
    }
    const std::size_t hostsRows = store.hostsCount();
    if (r.Status == core::StatusWaiting) {
        if (lookup) {
            const std::string address = lookup(name);
            if (!address.empty() && address != name) {
                r.IP = address;
                r.Date = core::now(app.clock);
                r.Status = core::StatusVerified;
                changed = true;
            }
        }
        if (r.HostName == r.IP || !changed)
            return;
        const std::size_t row = position - hostsRows;
        if (r.Status == core::StatusVerified) {
            store.insertTopOfHosts(store.wait().take(row));
            app.shell.showHostCount();
        } else {
            store.wait().notifyChanged(row);
        }
        return;
    }
    if (changed) {
        if (r.Status == core::StatusSaved)
            r.Status = core::StatusVisited;
        store.addPendingChange();
        store.hosts().notifyChanged(position);
    }
}

void admitCaptured(core::App& app, const std::string& name, const CaptureLookup& lookup)
{
    if (!core::isAdmissibleHostName(name))
        return;
    const int position = IndexOfHost(app.state.store, name);
    if (position >= 0) {
        admitKnown(app, static_cast<std::size_t>(position), name, lookup);
        return;
    }
    if (IsIgnoredHost(app.state.store, name))
        return;
    auto r = std::make_unique<core::TRecHost>();
    r->HostName = name;
    r->Freq = 1;
    r->Status = core::StatusWaiting;
    r->Visited = 1;
    if (lookup) {
        r->IP = lookup(name);
        if (!r->IP.empty()) {
            r->Date = core::now(app.clock);
            r->Status = core::StatusVerified;
        }
    }
    if (r->HostName == r->IP)
        return; // a numeric address is no host to keep
    if (r->Status == core::StatusVerified)
        app.state.store.insertTopOfHosts(std::move(r));
    else
        app.state.store.insertTopOfWait(std::move(r));
    app.shell.showHostCount();
}

} // namespace

void AdmitCapturedHost(core::App& app, const std::string& name, bool verifyNow)
{
    CaptureLookup lookup;
    if (verifyNow)
        lookup = [&app](const std::string& n) { return verify::VerifyHost(app, n); };
    admitCaptured(app, name, lookup);
}

void AdmitResolvedCapture(core::App& app, const std::string& name, const std::string& address)
{
    admitCaptured(app, name, [&address](const std::string&) { return address; });
}

bool CapturedHostNeedsLookup(const core::HostStore& store, const std::string& name)
{
    if (!core::isAdmissibleHostName(name))
        return false;
    const int position = IndexOfHost(store, name);
    if (position >= 0)
        return store.active(static_cast<std::size_t>(position)).Status == core::StatusWaiting;
    return !IsIgnoredHost(store, name);
}

int AdmitImportedHosts(core::App& app, core::RecordList& candidates, ImportMode mode)
{
    core::ProgramState& s = app.state;
    if (mode == ImportMode::Verify && !verify::connectionOrConsent(app))
        return 0;
    core::startCancellable(app);
    const int n = static_cast<int>(candidates.size());
    core::WorkProgress progress(app, n);
    progress.show("Verifying Host:");
    verify::UnverifiableHostPrompt prompt(app, core::PromptVariant::AddOrImport);
    // Looked up ahead: every candidate that the lists do not already skip.
    std::vector<std::string> ahead(candidates.size());
    for (std::size_t k = 0; mode == ImportMode::Verify && k < candidates.size(); ++k) {
        const core::RecordPtr& c = candidates[k];
        if (c && core::isAdmissibleHostName(c->HostName) && !IsIgnoredHost(s.store, c->HostName)
            && IndexOfHost(s.store, c->HostName) < 0)
            ahead[k] = c->HostName;
    }
    verify::LookAhead lookups = verify::lookAheadForNames(app, std::move(ahead));

    int added = 0;
    for (int i = 0; i < n; ++i) {
        core::RecordPtr& c = candidates[static_cast<std::size_t>(i)];
        const std::string host = c ? c->HostName : std::string();
        progress.beginItem(i + 1, host);
        if (s.cancel)
            break;
        const bool refused = c && !core::isAdmissibleHostName(host);
        if (refused && s.refusedNames++ == 0)
            s.firstRefusal = core::hostNameRefusal(host);
        bool skip = !c || refused || IsIgnoredHost(s.store, host) || IndexOfHost(s.store, host) >= 0;
        if (!skip) {
            c->Freq = 0;
            if (mode == ImportMode::Verified) {
                c->Date = core::now(app.clock);
                c->Status = core::StatusVerified;
            } else {
                c->IP.clear();
                c->Date = 0;
                c->Status = core::StatusWaiting;
                const std::string address = verify::VerifyHost(app, lookups, static_cast<std::size_t>(i), host);
                if (!address.empty()) {
                    c->IP = address;
                    c->Date = core::now(app.clock);
                    c->Status = core::StatusVerified;
                }
            }
            skip = host == c->IP;
        }
        if (!skip && mode == ImportMode::Verify && c->IP.empty()) {
            const verify::UnverifiableAnswer answer = prompt.ask(host);
            skip = answer != verify::UnverifiableAnswer::Wait; // Ignore, or a confirmed Abort
        }
        if (!skip) {
            c->Alias.clear();
            c->Visited = 0;
            if (c->Status == core::StatusVerified)
                s.store.insertTopOfHosts(std::move(c));
            else
                s.store.insertTopOfWait(std::move(c));
            ++added;
        }
        progress.endItem(i + 1);
        if (s.cancel)
            break;
    }
    progress.hide();
    app.shell.showHostCount();
    return added;
}

void reportImported(core::App& app, int added)
{
    core::ProgramState& s = app.state;
    std::string text = added < 1 ? std::string("No new Hosts to import.")
                                 : "New Hosts imported: " + std::to_string(added) + ".";
    if (s.refusedNames > 0) {
        text += "\n\n" + s.firstRefusal;
        if (s.refusedNames > 1)
            text += " Host names refused in all: " + std::to_string(s.refusedNames) + ".";
    }
    s.refusedNames = 0;
    s.firstRefusal.clear();
    app.dialogs.ask(text, core::MessageKind::Information);
}

} // namespace quillon::capture
