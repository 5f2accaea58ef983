#pragma once
// The TimerFiles tick: notices when another program changed the hosts file
// and offers to read it again, then runs the AutoSave step.

#include "core/App.h"

namespace quillon::core {

// Asked instead when the hosts file is gone: a vanished file is not a
// modified one, and reloading it would empty the Hosts list.
inline constexpr const char* RewriteDeletedQuestion =
    "The Hosts file has been deleted by another program: write it again from the Hosts list ?";
inline constexpr const char* ReloadQuestion =
    "WARNING!!! The Hosts file has been modified by another program: reload the modified file ?";

void TimerFilesTick(App& app);

// Saves once AutoSaveCount changes are pending (never with a count of 0 or
// less), or a change that should not wait is (ProgramState::saveSoon); with
// AutoSave off, pending changes are forgotten.
void autoSaveStep(App& app);

} // namespace quillon::core
