#include "core/HostsRestore.h"

#include "core/ChangeLog.h"
#include "core/HelperWait.h"
#include "core/Interface.h"
#include "core/ListPage.h"
#include "core/SaveAll.h"
#include "core/Startup.h"
#include "platform/HostsCaches.h"

namespace quillon::core {

namespace {

Outcome putBack(App& app, KeptHostsCopy copy)
{
    ProgramState& s = app.state;
    if (s.hostsThroughHelper && app.hostsWriter) {
        const platform::HostsWriteResult r = waitForHelper(
            app, [&app, copy] { return app.hostsWriter->putBackKeptCopy(copy == KeptHostsCopy::Original); });
        return r.ok() ? Outcome::success() : Outcome::failure(r.message);
    }
    platform::FileStamp written;
    if (Outcome o = putBackKeptCopy(app.fs, s.paths.hostsFile, copy, s.ownHostName, s.ownHostsStamp, written); !o)
        return o;
    // Caches of the system's hosts file are told to read it again (the
    // helper does so itself).
    if (s.paths.hostsFile.folder == "/etc")
        platform::refreshHostsCaches();
    return Outcome::success();
}

} // namespace

bool keptCopyExists(App& app, KeptHostsCopy copy)
{
    return app.state.hostsFolderUnsafe.empty() && app.fs.fileExists(keptCopyPath(app.state.paths.hostsFile, copy));
}

bool restoreHostsFile(App& app, KeptHostsCopy copy)
{
    ProgramState& s = app.state;
    if (app.dialogs.workPanelVisible() || s.activity == ActivitySaving || s.ending) {
        reportError(app, RestoreRefusedWhileRunning);
        return false;
    }
    if (!s.hostsFolderUnsafe.empty()) {
        reportError(app, s.hostsFolderUnsafe);
        return false;
    }
    const char* question = copy == KeptHostsCopy::Original ? RestoreOriginalQuestion : RestorePreviousQuestion;
    if (app.dialogs.ask(question, MessageKind::QuestionDefaultNo) != Answer::Yes)
        return false;
    if (s.store.pendingChanges() > 0 && !saveAll(app))
        return false;
    if (Outcome o = putBack(app, copy); !o) {
        reportError(app, o.message());
        return false;
    }
    const std::string& kept = keptCopyPath(s.paths.hostsFile, copy);
    const Outcome logged
        = appendChangeLog(app.fs, s.paths.d04, { restoreEntry(now(app.clock), kept.substr(kept.rfind('/') + 1)) });
    // The file put back is read as at start-up: the Hosts list is what it
    // now holds.
    loadLists(app);
    s.ownHostsStamp = s.hostsAge;
    s.hostsSnapshot.reset();
    app.shell.setCurrentPage(pageIndex(ListPage::Hosts));
    app.shell.showHostCount();
    if (!logged)
        reportError(app, logged.message());
    return true;
}

} // namespace quillon::core
