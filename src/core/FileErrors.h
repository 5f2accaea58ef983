#pragma once
// The texts of file errors shown to the person: what failed, on which file,
// and the system's reason.

#include "platform/Status.h"

#include <string>

namespace quillon::core {

// Cannot open file "PATH". REASON
std::string cannotOpenFile(const std::string& path, const platform::Status& status);
// Cannot create file "PATH". REASON
std::string cannotCreateFile(const std::string& path, const platform::Status& status);
// Cannot replace file "PATH". REASON
std::string cannotReplaceFile(const std::string& path, const platform::Status& status);
// File "PATH" not saved: it could not be read when Quillon started.
std::string notSavedUnreadable(const std::string& path);
// Quillon ignored "PATH": it does not belong to you or to root, so it was not copied into "HOSTS".
std::string ignoredForeignFile(const std::string& path, const std::string& hosts);

} // namespace quillon::core
