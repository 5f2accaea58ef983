#pragma once
// The program exit's own work: lock, save all, release the lists, and keep
// the window's placement when SaveWindow is on. The window closes itself
// afterwards.

#include "core/App.h"
#include "core/WindowPlacement.h"

namespace quillon::core {

void programExitSave(App& app, const WindowPlacement& placement);

} // namespace quillon::core
