#pragma once
// Writing every list in one go: the Hosts list into the hosts file, the Wait
// list into Quillon.d01 and the Trash into Quillon.d02.
//
// A file whose new text is the one it holds (and that no one else changed
// since) is not written at all: no password is asked for a save that
// changes nothing, and no file gets a new inode.
//
// The files change together or not at all, so that a host moved between
// lists is never in none of their files, whenever the process is killed or
// the power goes. Every new text is first written beside its file and synced
// (hosts.tmp, Quillon.d01.tmp, Quillon.d02.tmp); a failure there leaves every
// file as it was. Then the journal Quillon.sav names the files to replace,
// and they are replaced, the hosts file first. A save cut short after the
// journal was written is completed at the next start.
//
// A failed save keeps the records' statuses and the pending-change count (so
// a later save tries again), and the activity indicator goes back to "no
// activity". A list file that could not be read in full at start-up is left
// alone for the whole run (ProgramState::blocked); a save that leaves one
// alone is not complete, because what that list holds in memory is not on
// disk.
//
// Where this user may not write the system's hosts folder
// (ProgramState::hostsThroughHelper), the privileged helper replaces
// /etc/hosts in one step in place of hosts.tmp and its rename, from a framed
// text whose header the journal keeps (see writeThroughHelper() in
// SaveAll.cpp for the order and what a start finds after a kill). A save the
// person did not authorise stops AutoSave from asking again until a save by
// hand; a missing helper is shown once by AutoSave, as any repeated failure
// is.
//
// What depends on a save (an import, a verification run over the Hosts list,
// the exit) looks at its report and stops when the save did not do its part.

#include "core/App.h"
#include "core/ChangeLog.h"
#include "core/HostsFrame.h"

#include <optional>
#include <string>
#include <vector>

namespace quillon::core {

struct SaveReport {
    Outcome outcome;                  // the failed write, with the system's reason
    std::vector<std::string> skipped; // files left alone: unreadable at start-up, or in a folder others may write
    std::vector<std::string> skippedWhy; // for each, the sentence that says so
    bool notAuthorised = false;       // the helper was not authorised, or refused or failed
    std::string setAside;             // the hosts file could not be written: where the Hosts list is kept

    bool complete() const { return outcome.ok() && skipped.empty(); }
    bool skippedFile(const std::string& path) const;
    void skip(const std::string& path, std::string why)
    {
        skipped.push_back(path);
        skippedWhy.push_back(std::move(why));
    }
    // The failure, or which files were left alone.
    std::string message() const;
};

// Whether a hosts file that cannot be written sets the Hosts list aside in
// Quillon.d05: not for a save whose Hosts list is not the whole list (the
// save before a run, which leaves the run's hosts out on purpose).
enum class SetAside { OnFailure, Never };

// Save all without showing anything.
SaveReport writeAllLists(App& app, SetAside aside = SetAside::OnFailure);

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
// A save through the helper whose hosts text /etc/hosts does not hold is
// reported (which files were kept), its lists dropped.
Outcome finishInterruptedSave(App& app);

// A restore of a kept copy writes this journal before the hosts file is
// replaced: the frame of the text the file is to hold and the change-log
// entry that notes the restore. A start that finds it, and the hosts file
// holding that text, writes the entry (see finishInterruptedSave). The
// restore removes it once done, whatever the outcome.
Outcome writeRestoreJournal(App& app, const HostsFrame& text, const ChangeEntry& entry);
void removeJournal(App& app);

// The frame of what the hosts file holds now; nothing when it cannot be
// read.
std::optional<HostsFrame> hostsFileFrame(App& app);

// Remembers what the list files hold as just read (see KnownText): the
// hosts file and Quillon.d01, Quillon.d02, or both groups.
void rememberListTexts(App& app, bool hostsAndWait, bool trash);

// Where the hosts file goes through the helper: has the helper finish an
// in-place rewrite of it cut short (hosts.redo), so that it is read whole.
// Success when there was none; a failure says the file is not whole and why.
Outcome finishHelperRewrite(App& app);

} // namespace quillon::core
