#pragma once
// The person's base folders of the XDG Base Directory rules: the variable
// when it holds an absolute path, else the folder under $HOME (or the
// password entry's home). Without a trailing "/".

#include <string>

namespace quillon::platform {

std::string xdgConfigHome(); // $XDG_CONFIG_HOME, ~/.config
std::string xdgDataHome();   // $XDG_DATA_HOME, ~/.local/share

} // namespace quillon::platform
