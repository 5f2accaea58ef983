#pragma once
// Replacing the system hosts file, which must never go missing:
//
//  1. the new text goes to hosts.tmp, synced to disk, with the owner and mode
//     of the current hosts file;
//  2. the first hosts file met that the program did not write is kept as
//     hosts.orig, never overwritten, so a person's own lines are never lost;
//  3. hosts.bak becomes the current hosts file (a second link to it, or a
//     copy where links are refused);
//  4. hosts.tmp is renamed over hosts in one atomic step. Where hosts is a
//     mount point (containers bind-mount it) the rename is refused; the file
//     is then rewritten in place, and hosts.bak, a real copy, keeps the old
//     text.
//
// Any failure stops the sequence with the system's reason; until step 4 the
// hosts file is untouched.

#include "core/Outcome.h"
#include "platform/FileSystem.h"

#include <string>
#include <string_view>

namespace quillon::core {

struct HostsFilePaths {
    std::string folder;
    std::string hosts;
    std::string bak;
    std::string tmp;
    std::string orig;
};

// True when text has a line the program would not have written (anything but
// host lines with the record marker, blank lines aside).
bool isForeignHostsText(std::string_view text);

// ownStamp is the stamp of the last hosts file this program wrote (nothing
// to keep as hosts.orig when hosts still is that file). On success newStamp
// is the stamp of the new hosts file.
Outcome replaceHostsFile(platform::FileSystem& fs, const HostsFilePaths& paths, std::string_view text,
                         const platform::FileStamp& ownStamp, platform::FileStamp& newStamp);

} // namespace quillon::core
