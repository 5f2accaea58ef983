#pragma once
// The person's base folders of the XDG Base Directory rules: the variable
// when it holds an absolute path, else the folder under $HOME (or the
// password entry's home). Without a trailing "/".

#include <optional>
#include <string>

namespace quillon::platform {

std::string homeFolder(); // $HOME, else the password entry's home

std::string xdgConfigHome(); // $XDG_CONFIG_HOME, ~/.config
std::string xdgDataHome();   // $XDG_DATA_HOME, ~/.local/share

// mkdir -p: makes folder and the folders above it that are missing, each
// the person's own (mode 0700). True when the folder exists afterwards.
bool makeFolders(const std::string& folder);

// A folder of the person's own for short-lived private files, made with
// mode 0700 when missing: name in $XDG_RUNTIME_DIR, else /tmp/name-UID.
// Nothing when it cannot be made, or is a link, another user's, or open to
// others.
std::optional<std::string> privateRuntimeFolder(const std::string& name);
// Where that folder is, made or not.
std::string privateRuntimeFolderPath(const std::string& name);

} // namespace quillon::platform
