#include "core/HostListFile.h"

#include "core/DueRule.h"
#include "core/Interface.h"
#include "core/ListCommands.h"
#include "core/ListFile.h"
#include "core/SaveAll.h"

namespace quillon::core {

namespace {
constexpr StatusFilter HostsFilter { StatusWaiting, false };
} // namespace

FileDialogOptions hostListFileDialog(const std::string& title)
{
    return { title, "Hosts List file (*.hst)", "hst", {}, {} };
}

void MenuFileExportHostsClick(App& app)
{
    if (const auto path = app.dialogs.saveFile(hostListFileDialog("Export")))
        exportHostsList(app, *path);
}

void MenuFileImportHostsClick(App& app)
{
    const auto path = app.dialogs.openFile(hostListFileDialog("Import"));
    if (!path)
        return;
    if (app.dialogs.ask("Overwrite existing Hosts ?", MessageKind::QuestionDefaultYes) != Answer::Yes)
        return;
    importHostsList(app, *path);
}

bool exportHostsList(App& app, const std::string& path)
{
    InterfaceLockGuard lock(app);
    HostStore& store = app.state.store;
    const Outcome o = writeListFile(app.fs, path, { &store.hosts(), &store.wait() }, HostsFilter, StatusSaved);
    if (!o)
        reportError(app, o.message());
    return o.ok();
}

bool importHostsList(App& app, const std::string& path)
{
    ProgramState& s = app.state;
    bool imported = false;
    {
        InterfaceLockGuard lock(app);
        // The chosen file is read before anything changes: a file that
        // cannot be read leaves the lists as they are.
        RecordList records;
        std::vector<std::uint64_t> hashes;
        if (Outcome o = readListFileRecords(app.fs, path, StatusSaved, records, &hashes); !o) {
            reportError(app, o.message());
        } else if (const SaveReport before = writeAllLists(app); !before.outcome) {
            // The Wait list comes back from Quillon.d01 below: going on after
            // a failed save would lose every Wait host not yet on disk.
            reportError(app, before.outcome.message());
        } else {
            // The Wait list is read back from its file; the records in memory
            // are kept aside in case that file cannot be read (a list file
            // left alone by the save, unreadable since start-up, included).
            RecordList waitBefore = s.store.wait().takeAll();
            // The rows of the system's own lines stay at the top as they
            // stand; the file's own (another computer's localhost and own
            // name) are not this computer's.
            const auto isSystemRow = [&s](const TRecHost& r) { return !systemRowRefusal(s, r, "replaced").empty(); };
            RecordList systemRows;
            for (const RecordPtr& r : s.store.hosts()) {
                if (isSystemRow(*r))
                    systemRows.push_back(std::make_unique<TRecHost>(*r));
            }
            const bool hashed = hashes.size() == records.size();
            std::size_t kept = 0;
            for (std::size_t i = 0; i < records.size(); ++i) {
                if (isSystemRow(*records[i]))
                    continue;
                records[kept] = std::move(records[i]);
                if (hashed)
                    hashes[kept] = hashes[i];
                ++kept;
            }
            records.resize(kept);
            hashes.resize(hashed ? kept : 0);
            s.store.clearActive();
            s.store.hosts().appendNewNames(std::move(systemRows));
            s.store.hosts().appendNewNames(std::move(records), hashes);
            // The Hosts list is whole again: it may be written over the hosts
            // file even if the file could not be read at start-up.
            s.blocked.hosts = false;
            if (Outcome o = loadIntoActive(app.fs, s.paths.d01, s.store, StatusWaiting); !o) {
                reportError(app, o.message());
                s.store.wait().appendNewNames(std::move(waitBefore));
            }
            saveAll(app);
            s.hostsListDue = HostsListDue(s.store, s.settings, now(app.clock), s.ownHostName);
            app.shell.setCurrentPage(pageIndex(ListPage::Hosts));
            imported = true;
        }
    }
    app.shell.showHostCount();
    return imported;
}

} // namespace quillon::core
