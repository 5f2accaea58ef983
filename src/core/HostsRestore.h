#pragma once
// Putting back a hosts file the replace kept (hosts.orig, the file as it was
// before Quillon first changed it; hosts.bak, as it was before the last
// save): after the person's answer, through the same replace, by the helper
// where this user may not write the hosts folder. The lists are then read
// again as at start-up and the change log notes the restore.

#include "core/App.h"
#include "core/HostsFile.h"

#include <string>

namespace quillon::core {

inline constexpr const char* RestoreOriginalQuestion
    = "Put back the hosts file as it was before Quillon first changed it ?";
inline constexpr const char* RestorePreviousQuestion = "Put back the hosts file as it was before the last save ?";
inline constexpr const char* RestoreRefusedWhileRunning
    = "The hosts file cannot be put back while an operation is in progress: wait for its end or abort it.";

// Whether the kept copy is there to be put back.
bool keptCopyExists(App& app, KeptHostsCopy copy);

// Asks, then puts the copy back. Unsaved changes are saved first, so that
// none is lost when the lists are read again. Refused while a run is going
// on. Every failure is shown with its reason; true when the copy was put
// back.
bool restoreHostsFile(App& app, KeptHostsCopy copy);

} // namespace quillon::core
