#pragma once
// The TimerFiles tick: notices when another program changed the hosts file
// and offers to read it again, then runs the AutoSave step.

#include "core/App.h"

namespace quillon::core {

inline constexpr const char* ReloadQuestion =
    "WARNING!!! The Hosts file has been modified by another program: reload the modified file ?";

void TimerFilesTick(App& app);

// Saves once AutoSaveCount changes are pending (never with a count of 0 or
// less); with AutoSave off, pending changes are forgotten.
void autoSaveStep(App& app);

} // namespace quillon::core
