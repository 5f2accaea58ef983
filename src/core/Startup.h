#pragma once
// The window-free steps of start-up: where the files are, reading the
// settings, loading the lists and computing the due flags.

#include "core/App.h"

#include <string>

namespace quillon::core {

// The program-folder paths, the settings read from its Quillon.ini, and the
// hosts-file paths under the settings' HostsFolder.
void readSettingsAndPaths(platform::FileSystem& fs, ProgramState& state, const ProgramFolders& folders);

// Completes a save cut short by the last run, remembers the hosts file age, loads the hosts file, Quillon.d01,
// Quillon.d02 and Quillon.d03, and computes the due flags. A list file that
// exists but cannot be read is reported with its reason; start-up goes on
// with what was read, and that file is not written during this run.
void loadLists(App& app);

// Reads the hosts file and Quillon.d01 again into an emptied active list
// (after another program changed the hosts file), recomputes the Hosts list
// due flag and shows the Hosts page.
void reloadHostsAndWaitLists(App& app);

} // namespace quillon::core
