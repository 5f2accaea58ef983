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
//  3. hosts.bak becomes the current hosts file (a second link to it, or a
//     copy where links are refused);
//  4. hosts.tmp is renamed over hosts in one atomic step.
//
// A hosts file that is a symbolic link stays a link: the file it points at
// is the one replaced.
//
// Where hosts cannot be replaced by a rename (a bind mount, as containers
// have: EBUSY or EXDEV) it is rewritten in place. hosts.bak is then a real
// copy, and hosts.redo marks that hosts.tmp holds the whole new text until
// the rewrite is synced. The rewrite reserves its space first, so a full
// disk fails before any byte changes; a rewrite that fails after changing
// bytes puts the old text back from hosts.bak. A rewrite cut short (the
// process killed, the power gone) is finished from hosts.tmp at the next
// start, or before the next replacement; until then the hosts file is not
// whole, so it is never copied over hosts.bak.
//
// Any failure stops the sequence with the system's reason; until step 4 the
// hosts file is untouched.

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

// Steps 1 to 3; the hosts file itself is untouched. A rewrite cut short
// earlier is finished first. ownStamp is the stamp of the last hosts file
// this program wrote (nothing to keep as hosts.orig when hosts still is that
// file). On failure hosts.tmp is gone again.
// The new text comes piece by piece (see FileSystem::writeFilePieces).
Outcome prepareHostsFile(platform::FileSystem& fs, const HostsFilePaths& paths,
                         const std::function<bool(std::string& piece)>& text, const platform::FileStamp& ownStamp);
Outcome prepareHostsFile(platform::FileSystem& fs, const HostsFilePaths& paths, std::string_view text,
                         const platform::FileStamp& ownStamp);
// Step 4, after a successful prepareHostsFile: hosts.tmp goes into place. On
// success newStamp is the stamp of the new hosts file. On failure the hosts
// file holds its old text, unless even putting that back failed: then
// hosts.redo remains (see rewriteLeftUnfinished), to be finished later.
Outcome commitHostsFile(platform::FileSystem& fs, const HostsFilePaths& paths, platform::FileStamp& newStamp);
// The two in a row.
Outcome replaceHostsFile(platform::FileSystem& fs, const HostsFilePaths& paths, std::string_view text,
                         const platform::FileStamp& ownStamp, platform::FileStamp& newStamp);

// The two copies the sequence keeps: hosts.orig and hosts.bak.
enum class KeptHostsCopy { Original, Previous };
const std::string& keptCopyPath(const HostsFilePaths& paths, KeptHostsCopy copy);

// Puts the kept copy back as the hosts file, through the same replacement
// (so the file replaced becomes hosts.bak in turn). A rewrite cut short is
// finished first. A copy that this user (or root) did not make is refused.
Outcome putBackKeptCopy(platform::FileSystem& fs, const HostsFilePaths& paths, KeptHostsCopy copy,
                        const platform::FileStamp& ownStamp, platform::FileStamp& newStamp);

// True while an in-place rewrite waits to be finished from hosts.tmp.
bool rewriteLeftUnfinished(platform::FileSystem& fs, const HostsFilePaths& paths);

// Finishes an in-place rewrite that was cut short, from hosts.tmp (or, should
// that be gone, puts the old text back from hosts.bak). Nothing to do, and
// success, when none was.
Outcome finishInterruptedRewrite(platform::FileSystem& fs, const HostsFilePaths& paths);

} // namespace quillon::core
