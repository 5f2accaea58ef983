#pragma once
// Everything the main window keeps for the whole run, as one plain object:
// paths, settings, the lists, the hosts file age, the due flags, the
// activity indicator and the cancel flag.

#include "core/DateTimeText.h"
#include "core/ChangeLog.h"
#include "core/CurrentHostsLines.h"
#include "core/HostStore.h"
#include "core/HostsFrame.h"
#include "core/Paths.h"
#include "core/Settings.h"
#include "platform/FileSystem.h"

#include <optional>

namespace quillon::core {

// Activity indicator values.
enum Activity : int {
    ActivityNone = 0,
    ActivityVerifying = 1,
    ActivitySaving = 2,
};

// Files this run must not write: an existing list file that could not be
// read in full is never saved over from a partial list.
struct WriteBlocks {
    bool hosts = false;
    bool d01 = false;
    bool d02 = false;
    bool d03 = false;
};

// What the program last read from or wrote to one of its list files: the
// file's stamp then, and the frame of the text it writes for the list as
// read. For the hosts file, a save writes the file only when that text or
// the file itself changed since (no helper, no password prompt, no new inode
// otherwise); for a list file left alone this run, a save says so only when
// its list changed.
struct KnownText {
    platform::FileStamp stamp;
    std::optional<HostsFrame> frame;
};

struct ProgramState {
    explicit ProgramState(const platform::DateTimeFormats& formats = {})
        : dateText(formats)
    {
    }

    Paths paths;
    Settings settings;
    DateTimeText dateText;
    HostStore store;

    // The hosts file as last seen (start-up, our saves, changes noticed).
    platform::FileStamp hostsAge;
    // The hosts file as this program last wrote it.
    platform::FileStamp ownHostsStamp;
    KnownText knownHosts;
    // What the hosts file holds, for the change log, and the file's stamp
    // then: read from the file at the first save, and again after another
    // program wrote it.
    std::optional<HostsSnapshot> hostsSnapshot;
    platform::FileStamp hostsSnapshotStamp;
    KnownText knownD01;
    KnownText knownD02;
    // What a new hosts text keeps of the hosts file (its comments, the
    // system's lines, hand-written lines), and the file's stamp then: read
    // again whenever the file changed.
    std::optional<CurrentHostsLines> keptHostsLines;
    platform::FileStamp keptHostsLinesStamp;

    // The machine's own host name (read at start-up): its line in the hosts
    // file is an entry set on purpose.
    std::string ownHostName;

    // Imported host names refused for their characters since the last
    // import report, and why the first was: the report says so once.
    int refusedNames = 0;
    std::string firstRefusal;

    // A change that should not wait for AutoSaveCount changes (a visited
    // host's address that moved): AutoSave writes it at its next tick.
    bool saveSoon = false;

    bool hostsListDue = false;
    bool waitListDue = false;
    int activity = ActivityNone;
    bool cancel = false;
    bool unlocked = false;
    WriteBlocks blocked;
    // Why the hosts folder is not used at all (others may write it), as the
    // sentence shown to the person; empty when it is used.
    std::string hostsFolderUnsafe;
    // The hosts file was found torn by a rewrite cut short that could not be
    // finished: it is not written during this run.
    bool hostsNotWhole = false;
    // The program was asked to end from outside (a signal, the session
    // ending): the running operation is being cancelled and no dialog is
    // shown any more.
    bool ending = false;
    // The failure AutoSave last showed; cleared by a save that wrote
    // everything.
    std::string shownAutoSaveFailure;
    // Saves write the hosts file through App::hostsWriter: the hosts folder
    // is the system's and this user may not write it. Set at start-up.
    bool hostsThroughHelper = false;
    // The last save through the helper was refused (not authorised, or the
    // helper refused or failed): AutoSave does not ask again (no series of
    // password prompts) until the Hosts list changes or the person saves by
    // hand. refusedAtChanges is the pending-change count of that save.
    bool helperNotAuthorised = false;
    int refusedAtChanges = 0;
    // The Hosts list was read from Quillon.d05 (a save before could not
    // write the hosts file): the hosts file does not hold it yet.
    bool hostsListAside = false;
};

} // namespace quillon::core
