#pragma once
// The program exit's own work: lock, save all, release the lists, and keep
// the window's placement when SaveWindow is on. The window closes itself
// afterwards.
//
// When the final save does not write everything, the person who chose to
// exit is shown the reason and asked whether to exit anyway and lose the
// unsaved changes (No by default: the program stays, unlocked, with its lists
// as they were). An exit asked for from outside (ProgramState::ending) asks
// nothing: the failure goes where the dialogs send notices, and it ends.

#include "core/App.h"
#include "core/WindowPlacement.h"

namespace quillon::core {

inline constexpr const char* ExitAnywayQuestion = "Exit Quillon anyway and lose the unsaved changes ?";

// True when the program may end now.
bool programExitSave(App& app, const WindowPlacement& placement);

} // namespace quillon::core
