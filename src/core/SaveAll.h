#pragma once
// Writing every list in one go: the Hosts list into the hosts file, the Wait
// list into Quillon.d01 and the Trash into Quillon.d02.
//
// A failure stops the save at that file: files already written stay written,
// the records of the failed file keep their statuses, the pending-change
// count keeps its value (so a later save tries again) and the activity
// indicator goes back to "no activity". A list file that could not be read
// in full at start-up is left alone for the whole run (ProgramState::blocked);
// a save that leaves one alone is not complete, because what that list holds
// in memory is not on disk.
//
// The files change together or not at all, so that a host moved between
// lists is never in none of their files, whenever the process is killed or
// the power goes. Every new text is first written beside its file and synced
// (hosts.tmp, Quillon.d01.tmp, Quillon.d02.tmp); a failure there leaves every
// file as it was. Then the journal Quillon.sav names the files to replace,
// and they are replaced, the hosts file first. A save cut short after the
// journal was written is completed at the next start.
//
// Where this user may not write the system's hosts folder
// (ProgramState::hostsThroughHelper), the privileged helper replaces
// /etc/hosts in one step in place of hosts.tmp and its rename (see
// writeThroughHelper() in SaveAll.cpp for the order and what a start finds
// after a kill). A save the person did not authorise stops AutoSave from
// asking again until a save by hand; a missing helper is shown once by
// AutoSave, as any repeated failure is.
//
// What depends on a save (an import, a verification run over the Hosts list,
// the exit) looks at its report and stops when the save did not do its part.

#include "core/App.h"

#include <string>
#include <vector>

namespace quillon::core {

struct SaveReport {
    Outcome outcome;                  // the failed write, with the system's reason
    std::vector<std::string> skipped; // files left alone: unreadable at start-up
    bool notAuthorised = false;       // the helper's authorisation was dismissed or failed

    bool complete() const { return outcome.ok() && skipped.empty(); }
    bool skippedFile(const std::string& path) const;
    // The failure, or which files were left alone.
    std::string message() const;
};

// Save all without showing anything.
SaveReport writeAllLists(App& app);

// Save all as the commands and the exit use it: a failure, or a file left
// alone, is shown. True when every list was written.
bool saveAll(App& app);

// File > Save: lock, save all, show the Hosts list again with the statuses
// the save gave it, unlock (also after a failure).
bool saveAndRefresh(App& app);

// AutoSave: the same, except that a failure met again for the same reason is
// not shown again; it is shown once more when the reason changes or after a
// save that wrote everything.
void autoSaveAndRefresh(App& app);

// At start-up, before the lists are read: completes a save cut short after
// its journal was written, and finishes a rewrite of the hosts file cut
// short. Nothing to do, and success, when there was none.
Outcome finishInterruptedSave(App& app);

} // namespace quillon::core
