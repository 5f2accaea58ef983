#include "core/HostsRestore.h"

#include "core/ChangeLog.h"
#include "core/HelperWait.h"
#include "core/HostsFrame.h"
#include "core/Interface.h"
#include "core/ListPage.h"
#include "core/SaveAll.h"
#include "core/Startup.h"
#include "platform/HostsCaches.h"

#include <optional>

namespace quillon::core {

namespace {

Outcome putBack(App& app, KeptHostsCopy copy, const std::optional<HostsFrame>& restored)
{
    ProgramState& s = app.state;
    if (s.hostsThroughHelper && app.hostsWriter) {
        const platform::HostsWriteResult r = waitForHelper(
            app, [&app, copy] { return app.hostsWriter->putBackKeptCopy(copy == KeptHostsCopy::Original); });
        if (r.ok())
            return Outcome::success();
        // A helper ended in the middle of an in-place rewrite: finished now,
        // the file is whole again. One ended after its replace but before
        // its answer has put the copy back all the same: what /etc/hosts
        // holds decides, not what it said.
        (void)finishHelperRewrite(app);
        if (restored && hostsFileFrame(app) == restored)
            return Outcome::success();
        return Outcome::failure(r.message);
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

// The frame of the text the restore gives the hosts file, when it changes
// the file; nothing when the copy cannot be read here (the helper may still
// read it) or holds what the file holds already.
std::optional<HostsFrame> restoredText(App& app, KeptHostsCopy copy)
{
    ProgramState& s = app.state;
    std::string text;
    if (!keptCopyText(app.fs, s.paths.hostsFile, copy, s.ownHostName, text))
        return std::nullopt;
    HostsFrame frame = HostsFrame::of(text);
    if (hostsFileFrame(app) == frame)
        return std::nullopt;
    return frame;
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
    const std::string& kept = keptCopyPath(s.paths.hostsFile, copy);
    const ChangeEntry entry = restoreEntry(now(app.clock), kept.substr(kept.rfind('/') + 1));
    // Journalled, so that a kill after the put-back leaves the entry to the
    // next start (a journal that cannot be written costs only that).
    const std::optional<HostsFrame> restored = restoredText(app, copy);
    if (restored)
        (void)writeRestoreJournal(app, *restored, entry);
    if (Outcome o = putBack(app, copy, restored); !o) {
        removeJournal(app);
        reportError(app, o.message());
        return false;
    }
    const Outcome logged = appendChangeLog(app.fs, s.paths.d04, { entry });
    removeJournal(app);
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
