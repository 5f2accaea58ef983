#include "core/Startup.h"

#include "core/DueRule.h"
#include "core/FileErrors.h"
#include "core/HostsFile.h"
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
    // A Hosts list that an earlier save could not write to the hosts file
    // waits in Quillon.d05: it is the list, and the hosts file is written
    // from it at the first save that can.
    s.hostsListAside = app.fs.fileExists(s.paths.d05) && app.fs.isOwnFile(s.paths.d05);
    if (s.hostsListAside) {
        if (Outcome o = loadIntoActive(app.fs, s.paths.d05, s.store, StatusVerified); !o)
            reportUnreadable(app, o, s.blocked.hosts);
        else
            s.blocked.hosts = false;
    } else if (!s.hostsFolderUnsafe.empty()) {
        // Nothing is read from a folder others may write.
    } else if (Outcome o = loadIntoActive(app.fs, s.paths.hostsFile.hosts, s.store, StatusSaved); !o) {
        reportUnreadable(app, o, s.blocked.hosts);
    } else if (!s.hostsNotWhole) {
        s.blocked.hosts = false;
    }
    if (Outcome o = loadIntoActive(app.fs, s.paths.d01, s.store, StatusWaiting); !o)
        reportUnreadable(app, o, s.blocked.d01);
    else
        s.blocked.d01 = false;
}

// Copies a save or a copy cut short left beside their files (a killed save
// leaves a hosts.tmp as large as the hosts file). Run after the journal and
// an unfinished rewrite had their use of them.
void removeStaleTemporaries(App& app)
{
    const ProgramState& s = app.state;
    // A journal killed before it was renamed into place named nothing yet.
    const std::vector<std::string> stale { s.paths.d01 + ".tmp",         s.paths.d02 + ".tmp",
                                           s.paths.d03 + ".tmp",         s.paths.d04 + ".tmp",
                                           s.paths.d05 + ".tmp",         s.paths.ini + ".tmp",
                                           s.paths.ipHistory + ".tmp",   s.paths.saveJournal + ".tmp" };
    // The hosts folder only where this user writes it, and not while a
    // rewrite still needs its copy (its failure was reported already).
    if (s.hostsFolderUnsafe.empty() && !s.hostsThroughHelper)
        removeHostsLeftovers(app.fs, s.paths.hostsFile);
    for (const std::string& path : stale) {
        if (app.fs.fileExists(path))
            app.fs.removeFile(path);
    }
}

// A hosts folder others may write is not used at all: they could read the
// person's files through links planted there, or replace them.
void checkHostsFolder(App& app)
{
    ProgramState& s = app.state;
    const platform::FolderWriters writers = app.fs.othersMayWrite(s.paths.hostsFile.folder);
    if (!writers.any()) {
        s.hostsFolderUnsafe.clear();
        return;
    }
    s.hostsFolderUnsafe = hostsFolderRefusal(s.paths.hostsFile.folder, writers);
    s.blocked.hosts = true;
    reportError(app, s.hostsFolderUnsafe);
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
    s.ownHostName = app.resolver.localHostName();
    checkHostsFolder(app);
    // A hosts file the helper left torn is made whole before it is read.
    s.hostsNotWhole = false;
    if (s.hostsFolderUnsafe.empty()) {
        if (Outcome o = finishHelperRewrite(app); !o) {
            s.hostsNotWhole = true;
            reportUnreadable(app, o, s.blocked.hosts);
        }
    }
    // A save cut short by the last run ends first, so that the lists are
    // read from whole files that agree with each other.
    if (Outcome o = finishInterruptedSave(app); !o)
        reportError(app, o.message());
    removeStaleTemporaries(app);
    s.hostsAge = s.hostsFolderUnsafe.empty() ? app.fs.stamp(s.paths.hostsFile.hosts) : platform::FileStamp {};
    s.store.clearActive();
    s.store.emptyTrash();
    s.store.ignoreNames().clear();

    loadActiveLists(app);
    if (Outcome o = loadIntoTrash(app.fs, s.paths.d02, s.store); !o)
        reportUnreadable(app, o, s.blocked.d02);
    if (Outcome o = loadIgnoreFile(app.fs, s.paths.d03, s.store.ignoreNames()); !o)
        reportUnreadable(app, o, s.blocked.d03);

    rememberListTexts(app, true, true);
    s.store.setPendingChanges(0);
    if (s.hostsListAside) {
        // The hosts file does not hold the list yet: the next AutoSave tick
        // (or the exit) writes it.
        s.knownHosts.frame.reset();
        s.saveSoon = true;
    }
    const TDateTime today = now(app.clock);
    s.hostsListDue = HostsListDue(s.store, s.settings, today, s.ownHostName);
    s.waitListDue = waitListDueAtStart(s.settings, today);
}

void reloadHostsAndWaitLists(App& app)
{
    ProgramState& s = app.state;
    // A file gone meanwhile is not an empty one: the Hosts list is never
    // emptied for want of a file.
    if (!app.fs.fileExists(s.paths.hostsFile.hosts))
        return;
    s.store.clearActive();
    loadActiveLists(app);
    rememberListTexts(app, true, false);
    if (s.hostsListAside)
        s.knownHosts.frame.reset();
    s.hostsListDue = HostsListDue(s.store, s.settings, now(app.clock), s.ownHostName);
    app.shell.setCurrentPage(pageIndex(ListPage::Hosts));
    app.shell.showHostCount();
}

} // namespace quillon::core
