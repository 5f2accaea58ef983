#pragma once
// The Hosts list carried to and from a host list file (*.hst): the hosts
// file's own format, every line with status Saved. Export writes the Hosts
// list; import replaces it (it does not merge) and keeps the Wait list free
// of the imported hosts.

#include "core/App.h"

namespace quillon::core {

FileDialogOptions hostListFileDialog(const std::string& title);

void MenuFileExportHostsClick(App& app);
void MenuFileImportHostsClick(App& app);

// The two commands after their file dialog.
bool exportHostsList(App& app, const std::string& path);
bool importHostsList(App& app, const std::string& path);

} // namespace quillon::core
