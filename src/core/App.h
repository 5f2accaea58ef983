#pragma once
// What every routine works with: the program state and the services around
// it (file system, clock, the person, the main window).

#include "core/Dialogs.h"
#include "core/ProgramState.h"
#include "core/Shell.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"

namespace quillon::core {

struct App {
    ProgramState& state;
    platform::FileSystem& fs;
    platform::Clock& clock;
    Dialogs& dialogs;
    Shell& shell;
};

} // namespace quillon::core
