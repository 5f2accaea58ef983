#pragma once
// Facts about the running program.

#include <string>

namespace quillon::platform {

// Full path of the running executable; empty when it cannot be found.
std::string executablePath();
// The folder of the running executable, with a trailing "/".
std::string executableFolder();

} // namespace quillon::platform
