#pragma once
// Name caches that keep their own copy of the system hosts file. After the
// file was replaced, they are told to read it again: nscd's hosts table is
// emptied where nscd runs (root only; a failure is not an error of the save).
// systemd-resolved needs nothing: it notices a replaced file by itself
// (docs/hosts-caches.md).

namespace quillon::platform {

// Returns at once where no cache runs; otherwise waits at most two seconds.
void refreshHostsCaches();

} // namespace quillon::platform
