#include "core/SaveAll.h"

#include "core/FileErrors.h"
#include "core/HostsFile.h"
#include "core/Interface.h"
#include "core/ListFile.h"

#include <algorithm>

namespace quillon::core {

namespace {

// Hosts list records: every status but Waiting, written as Saved.
constexpr StatusFilter HostsFilter { StatusWaiting, false };
constexpr StatusFilter WaitFilter { StatusWaiting, true };
constexpr StatusFilter TrashFilter { -1, false };

Outcome writeHostsFile(App& app)
{
    ProgramState& s = app.state;
    HostStore& store = s.store;
    const std::string text = formatListFile({ &store.hosts(), &store.wait() }, HostsFilter, StatusSaved);
    platform::FileStamp written;
    if (Outcome o = replaceHostsFile(app.fs, s.paths.hostsFile, text, s.ownHostsStamp, written); !o)
        return o;
    s.ownHostsStamp = written;
    s.hostsAge = written;
    markWritten({ &store.hosts(), &store.wait() }, HostsFilter, StatusSaved);
    return Outcome::success();
}

void writeLists(App& app, SaveReport& report)
{
    ProgramState& s = app.state;
    HostStore& store = s.store;
    if (s.blocked.hosts) {
        report.skipped.push_back(s.paths.hostsFile.hosts);
    } else if (report.outcome = writeHostsFile(app); !report.outcome) {
        return;
    }
    if (s.blocked.d01) {
        report.skipped.push_back(s.paths.d01);
    } else if (report.outcome = writeListFile(app.fs, s.paths.d01, { &store.hosts(), &store.wait() }, WaitFilter, -1);
               !report.outcome) {
        return;
    }
    if (s.blocked.d02)
        report.skipped.push_back(s.paths.d02);
    else
        report.outcome = writeListFile(app.fs, s.paths.d02, { &store.trash() }, TrashFilter, -1);
}

} // namespace

bool SaveReport::skippedFile(const std::string& path) const
{
    return std::find(skipped.begin(), skipped.end(), path) != skipped.end();
}

std::string SaveReport::message() const
{
    if (!outcome)
        return outcome.message();
    std::string text;
    for (const std::string& path : skipped) {
        if (!text.empty())
            text += "\n";
        text += notSavedUnreadable(path);
    }
    return text;
}

SaveReport writeAllLists(App& app)
{
    SaveReport report;
    setActivityIndicator(app, ActivitySaving);
    writeLists(app, report);
    if (report.outcome)
        app.state.store.setPendingChanges(0);
    if (report.complete())
        app.state.shownAutoSaveFailure.clear();
    setActivityIndicator(app, ActivityNone);
    return report;
}

bool saveAll(App& app)
{
    const SaveReport report = writeAllLists(app);
    if (!report.complete())
        reportError(app, report.message());
    return report.complete();
}

bool saveAndRefresh(App& app)
{
    InterfaceLockGuard lock(app);
    const bool saved = saveAll(app);
    app.state.store.hosts().notifyRebuilt();
    return saved;
}

void autoSaveAndRefresh(App& app)
{
    ProgramState& s = app.state;
    InterfaceLockGuard lock(app);
    const SaveReport report = writeAllLists(app);
    s.store.hosts().notifyRebuilt();
    if (report.complete())
        return;
    // A folder that refuses every save would otherwise raise the same box at
    // every tick of the file timer.
    const std::string message = report.message();
    if (message == s.shownAutoSaveFailure)
        return;
    s.shownAutoSaveFailure = message;
    reportError(app, message);
}

} // namespace quillon::core
