#include "verify/VerificationRuns.h"

#include "core/DateTime.h"
#include "core/HostAddress.h"
#include "core/Interface.h"
#include "core/ListCommands.h"
#include "core/SaveAll.h"
#include "core/WorkProgress.h"
#include "verify/LookAhead.h"
#include "verify/NameResolution.h"
#include "verify/TWinshoeIPWatch.h"
#include "verify/UnverifiableHost.h"

#include <numeric>

namespace quillon::verify {

namespace {

// A record back in the lists after an aborted run: former Hosts-list hosts
// to the top of the Hosts list (Verified), Wait-list hosts to the Wait list.
void putBack(core::App& app, core::RecordPtr record)
{
    if (record->Status != core::StatusWaiting) {
        record->Status = core::StatusVerified;
        app.state.store.insertTopOfHosts(std::move(record));
    } else {
        app.state.store.insertTopOfWait(std::move(record));
    }
}

// The save before a run over Hosts-list hosts: the hosts file is written
// without them, so that their lookups reach the name servers. When that save
// fails, the resolver would answer from their old lines and stale addresses
// would pass for fresh ones: the hosts go back to their rows and the run
// does not start.
bool saveWithoutRunHosts(core::App& app, const std::vector<int>& rows, core::RecordList& runList)
{
    core::ProgramState& s = app.state;
    const platform::FileStamp ownBefore = s.ownHostsStamp;
    const core::SaveReport saved = core::writeAllLists(app, core::SetAside::Never);
    s.store.hosts().notifyRebuilt();
    if (saved.outcome && !saved.skippedFile(s.paths.hostsFile.hosts))
        return true;
    for (std::size_t k = 0; k < rows.size(); ++k) {
        s.store.hosts().insert(static_cast<std::size_t>(rows[k]), std::move(runList[k]));
        // Written before the failure, the hosts file lacks them now: the
        // next save must put them back.
        if (s.ownHostsStamp != ownBefore)
            s.store.addPendingChange();
    }
    runList.clear();
    core::reportError(app, saved.message());
    return false;
}

void verifyPage(core::App& app, core::ListPage page, bool selectedOnly)
{
    {
        core::InterfaceLockGuard lock(app);
        VerifyViewHosts(app, page, selectedOnly);
    }
    app.shell.showHostCount();
}

} // namespace

void VerifyViewHosts(core::App& app, core::ListPage page, bool selectedOnly)
{
    core::HostStore& store = app.state.store;
    core::HostSequence& view = store.page(page);
    if (view.empty() || page == core::ListPage::Trash)
        return;
    if (!connectionOrConsent(app))
        return;
    std::vector<int> rows;
    if (selectedOnly) {
        rows = app.shell.selectedRows(core::pageIndex(page));
    } else {
        rows.resize(view.size());
        std::iota(rows.begin(), rows.end(), 0);
    }
    // Entries someone set on purpose (localhost, the machine's own name, a
    // blocklist's 0.0.0.0, IPv6 names, the person's LAN lines) stay as
    // written: never looked up again, never moved.
    const std::string& ownName = app.state.ownHostName;
    if (page == core::ListPage::Hosts)
        std::erase_if(rows, [&view, &ownName](int row) {
            return core::isSetOnPurpose(view.at(static_cast<std::size_t>(row)), ownName);
        });
    core::RecordList runList = view.takeRows(rows);
    if (runList.empty())
        return;
    if (page == core::ListPage::Hosts && !saveWithoutRunHosts(app, rows, runList))
        return;
    // A run cut short put the hosts it had not reached back into the Hosts
    // list, but the hosts file lacks them since the save above: until it has
    // them again the system resolves those names nowhere.
    if (!ReverifyHosts(app, runList) && page == core::ListPage::Hosts)
        core::saveAll(app);
}

bool ReverifyHosts(core::App& app, core::RecordList& runList)
{
    core::ProgramState& s = app.state;
    const int n = static_cast<int>(runList.size());
    core::startCancellable(app);
    UnverifiableHostPrompt prompt(app, core::PromptVariant::Reverification);
    core::WorkProgress progress(app, n);
    progress.show("Verifying Host:");
    std::vector<std::string> names;
    names.reserve(runList.size());
    for (const core::RecordPtr& r : runList)
        names.push_back(r->HostName);
    LookAhead ahead = lookAheadForNames(app, std::move(names));

    int i = 0;
    bool aborted = false;
    std::string refused;
    for (; i < n; ++i) {
        core::RecordPtr& r = runList[static_cast<std::size_t>(i)];
        const std::string host = r->HostName;
        progress.beginItem(i + 1, host);
        if (s.cancel) {
            aborted = true;
            break;
        }
        const std::string address = VerifyHost(app, ahead, static_cast<std::size_t>(i), host);
        if (host == address) {
            r.reset(); // a numeric name: dropped
            progress.endItem(i + 1);
            continue;
        }
        UnverifiableAnswer answer = UnverifiableAnswer::First;
        if (address.empty()) {
            answer = prompt.ask(host);
            if (answer == UnverifiableAnswer::Abort) {
                progress.endItem(i + 1);
                aborted = true;
                break;
            }
        }
        if (!address.empty()) {
            r->IP = address;
            r->Date = core::now(app.clock);
            r->Status = core::StatusVerified;
            s.store.insertTopOfHosts(std::move(r));
        } else {
            // A list whose file is not written this run would lose the host:
            // it goes back where it came from, and the person is told once.
            const core::ListPage target
                = answer == UnverifiableAnswer::Wait ? core::ListPage::Wait : core::ListPage::Trash;
            if (std::string why = core::blockedListReason(s, target); !why.empty()) {
                refused = std::move(why);
                putBack(app, std::move(r));
            } else if (target == core::ListPage::Wait) {
                r->Status = core::StatusWaiting;
                s.store.insertTopOfWait(std::move(r));
            } else {
                s.store.insertTopOfTrash(std::move(r));
            }
        }
        progress.endItem(i + 1);
    }

    if (aborted) {
        app.dialogs.setWorkCancelEnabled(false);
        app.dialogs.setWorkAction("Aborting operation...");
        app.dialogs.setWorkUrl("");
        for (int j = i; j < n; ++j) {
            putBack(app, std::move(runList[static_cast<std::size_t>(j)]));
            progress.endItem(j + 1);
        }
        app.dialogs.setWorkCancelEnabled(true);
    }
    progress.hide();
    if (!refused.empty())
        core::reportError(app, refused);
    return !aborted;
}

void MenuVerifyVerifySelectionClick(core::App& app)
{
    MenuPopupVerifyClick(app);
}

void MenuPopupVerifyClick(core::App& app)
{
    const int page = app.shell.currentPage();
    if (page == core::pageIndex(core::ListPage::Trash))
        return;
    verifyPage(app, core::pageFromIndex(page), true);
}

void MenuVerifyVerifyHostsClick(core::App& app)
{
    app.shell.setCurrentPage(core::pageIndex(core::ListPage::Hosts));
    verifyPage(app, core::ListPage::Hosts, false);
}

void MenuVerifyVerifyHostsQQDClick(core::App& app)
{
    app.shell.setCurrentPage(core::pageIndex(core::ListPage::Wait));
    verifyPage(app, core::ListPage::Wait, false);
}

} // namespace quillon::verify
