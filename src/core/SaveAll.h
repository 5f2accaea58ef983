#pragma once
// Writing every list in one go: the Hosts list into the hosts file, the Wait
// list into Quillon.d01 and the Trash into Quillon.d02.
//
// A failure is shown with the system's reason and stops the save at that
// file: files already written stay written, the records of the failed file
// keep their statuses, the pending-change count keeps its value (so a later
// save tries again) and the activity indicator goes back to "no activity".

#include "core/App.h"

namespace quillon::core {

bool saveAll(App& app);

// File > Save and AutoSave: lock, save all, show the Hosts list again with
// the statuses the save gave it, unlock (also after a failure).
bool saveAndRefresh(App& app);

} // namespace quillon::core
