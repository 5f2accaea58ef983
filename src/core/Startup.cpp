#include "core/Startup.h"

#include "core/DueRule.h"
#include "core/IniFile.h"
#include "core/Interface.h"
#include "core/ListFile.h"
#include "core/SaveAll.h"

namespace quillon::core {

namespace {

// Reports a list file that could not be read; blocked keeps the partial
// list from being written over it.
void reportUnreadable(App& app, const Outcome& o, bool& blocked)
{
    blocked = true;
    reportError(app, o.message()
                         + "\n\nQuillon goes on with what it could read and will not write this file while it runs.");
}

void loadActiveLists(App& app)
{
    ProgramState& s = app.state;
    if (Outcome o = loadIntoActive(app.fs, s.paths.hostsFile.hosts, s.store, StatusSaved); !o)
        reportUnreadable(app, o, s.blocked.hosts);
    else
        s.blocked.hosts = false;
    if (Outcome o = loadIntoActive(app.fs, s.paths.d01, s.store, StatusWaiting); !o)
        reportUnreadable(app, o, s.blocked.d01);
    else
        s.blocked.d01 = false;
}

} // namespace

void readSettingsAndPaths(platform::FileSystem& fs, ProgramState& state, const ProgramFolders& folders)
{
    setProgramPaths(state.paths, folders);
    const IniFile ini(fs, state.paths.ini);
    state.settings = readSettings(ini, state.dateText);
    state.paths.hostsFile = hostsFilePaths(state.settings.HostsFolder);
}

void loadLists(App& app)
{
    ProgramState& s = app.state;
    // A save cut short by the last run ends first, so that the lists are
    // read from whole files that agree with each other.
    if (Outcome o = finishInterruptedSave(app); !o)
        reportError(app, o.message());
    s.hostsAge = app.fs.stamp(s.paths.hostsFile.hosts);
    s.store.clearActive();
    s.store.emptyTrash();
    s.store.ignoreNames().clear();

    loadActiveLists(app);
    if (Outcome o = loadIntoTrash(app.fs, s.paths.d02, s.store); !o)
        reportUnreadable(app, o, s.blocked.d02);
    if (Outcome o = loadIgnoreFile(app.fs, s.paths.d03, s.store.ignoreNames()); !o)
        reportUnreadable(app, o, s.blocked.d03);

    s.store.setPendingChanges(0);
    const TDateTime today = now(app.clock);
    s.hostsListDue = HostsListDue(s.store, s.settings, today);
    s.waitListDue = waitListDueAtStart(s.settings, today);
}

void reloadHostsAndWaitLists(App& app)
{
    ProgramState& s = app.state;
    s.store.clearActive();
    loadActiveLists(app);
    s.hostsListDue = HostsListDue(s.store, s.settings, now(app.clock));
    app.shell.setCurrentPage(pageIndex(ListPage::Hosts));
    app.shell.showHostCount();
}

} // namespace quillon::core
