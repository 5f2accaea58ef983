#pragma once
// Replacing the system hosts file, which must never go missing, torn or half
// written:
//
//  1. the new text goes to hosts.tmp, synced to disk, with the attributes of
//     the current hosts file (owner, mode, extended attributes and ACL), or
//     mode 0644 whatever the umask when there is none yet;
//  2. the first hosts file met that the program did not write is kept as
//     hosts.orig, with its mode, never overwritten, so a person's own lines
//     are never lost;
//  3. the current hosts file is staged as hosts.bak.new (a second link to
//     it, or a copy where links are refused);
//  4. hosts.tmp is renamed over hosts in one atomic step;
//  5. hosts.bak.new is renamed over hosts.bak.
//
// So hosts.bak stays the previous copy until the new file is in place, and
// every byte of both is in a file with a name at every moment: the copy
// Restore Previous puts back is hosts.tmp's text, and a kill between steps
// 4 and 5 leaves the file replaced as hosts.bak.new, which the next start
// or replacement makes hosts.bak (see finishInterruptedRewrite).
//
// A hosts file that is a symbolic link stays a link: the file it points at
// is the one replaced.
//
// Where hosts cannot be replaced by a rename (a bind mount, as containers
// have: EBUSY or EXDEV) it is rewritten in place. hosts.bak.new is then a
// real copy that holds the old text meanwhile, and hosts.redo marks that
// hosts.tmp holds the whole new text until the rewrite is synced. The
// rewrite reserves its space first, so a full disk fails before any byte
// changes; a rewrite that fails after changing bytes puts the old text back
// from hosts.bak.new. A rewrite cut short (the process killed, the power
// gone) is finished from hosts.tmp at the next start, or before the next
// replacement; until then the hosts file is not whole, so it is never
// copied anywhere.
//
// Any failure stops the sequence with the system's reason; until step 4 the
// hosts file is untouched, and a failed replacement leaves hosts.bak as it
// was.

#include "core/Outcome.h"
#include "platform/FileSystem.h"

#include <functional>
#include <string>
#include <string_view>

namespace quillon::core {

struct HostsFilePaths {
    std::string folder;
    std::string hosts;
    std::string bak;
    std::string tmp;
    std::string orig;
    std::string redo;
};

// True when text has a line the program would not have written (anything but
// host lines with the record marker, blank lines aside).
bool isForeignHostsText(std::string_view text);

// Steps 1 and 2; the hosts file itself is untouched. A rewrite cut short
// earlier is finished first. ownStamp is the stamp of the last hosts file
// this program wrote (nothing to keep as hosts.orig when hosts still is that
// file). On failure hosts.tmp is gone again.
// The new text comes piece by piece (see FileSystem::writeFilePieces).
Outcome prepareHostsFile(platform::FileSystem& fs, const HostsFilePaths& paths,
                         const std::function<bool(std::string& piece)>& text, const platform::FileStamp& ownStamp);
Outcome prepareHostsFile(platform::FileSystem& fs, const HostsFilePaths& paths, std::string_view text,
                         const platform::FileStamp& ownStamp);
// Steps 3 to 5, after a successful prepareHostsFile: hosts.tmp goes into
// place, the file it replaces becomes hosts.bak. On success newStamp is the
// stamp of the new hosts file. On failure the hosts file holds its old text
// and hosts.bak is as it was, unless even putting the old text back failed:
// then hosts.redo remains (see rewriteLeftUnfinished), to be finished later.
Outcome commitHostsFile(platform::FileSystem& fs, const HostsFilePaths& paths, platform::FileStamp& newStamp);
// The two in a row.
Outcome replaceHostsFile(platform::FileSystem& fs, const HostsFilePaths& paths, std::string_view text,
                         const platform::FileStamp& ownStamp, platform::FileStamp& newStamp);

// The two copies the sequence keeps: hosts.orig and hosts.bak.
enum class KeptHostsCopy { Original, Previous };
const std::string& keptCopyPath(const HostsFilePaths& paths, KeptHostsCopy copy);

// Puts the kept copy back as the hosts file, through the same replacement
// (so the file replaced becomes hosts.bak in turn), with the system's lines
// of the current file in place of the copy's own (see
// CurrentHostsLines::withSystemLines; ownName is the machine's name). A
// rewrite cut short is finished first. A copy that this user (or root) did
// not make is refused.
Outcome putBackKeptCopy(platform::FileSystem& fs, const HostsFilePaths& paths, KeptHostsCopy copy,
                        std::string_view ownName, const platform::FileStamp& ownStamp, platform::FileStamp& newStamp);
// The text putBackKeptCopy gives the hosts file, as the hosts file stands
// now.
Outcome keptCopyText(platform::FileSystem& fs, const HostsFilePaths& paths, KeptHostsCopy copy,
                     std::string_view ownName, std::string& text);

// True while an in-place rewrite waits to be finished from hosts.tmp.
bool rewriteLeftUnfinished(platform::FileSystem& fs, const HostsFilePaths& paths);

// Where step 3 stages the current file: hosts.bak.new.
std::string stagedBackupPath(const HostsFilePaths& paths);

// Finishes a replacement cut short: an in-place rewrite, from hosts.tmp (or,
// should that be gone, puts the old text back from the staged backup or
// hosts.bak); then a staged backup, which becomes hosts.bak when the new
// file went into place and is removed when it did not (it is then the
// current file). Nothing to do, and success, when nothing was cut short.
Outcome finishInterruptedRewrite(platform::FileSystem& fs, const HostsFilePaths& paths);

// What a replacement cut short left in the hosts folder, dealt with at the
// start of the program or of the hosts helper: finishInterruptedRewrite,
// then the copies nothing needs any more (hosts.tmp, and the temporary files
// of the copies) are removed. When the rewrite cannot be finished, nothing is
// removed and the reason is returned. Not while a save journal still names
// hosts.tmp (see finishInterruptedSave).
Outcome removeHostsLeftovers(platform::FileSystem& fs, const HostsFilePaths& paths);

} // namespace quillon::core
