#pragma once
// The texts of file errors shown to the person: what failed, on which file,
// and the system's reason.

#include "platform/FileSystem.h"
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
// Quillon does not use the hosts folder "FOLDER": other users may write into
// it (mode 1777), so they could read or replace the files Quillon writes
// there. Choose a folder only you may write with HostsFolder in Quillon.ini.
std::string hostsFolderRefusal(const std::string& folder, const platform::FolderWriters& writers);
// Quillon ignored "PATH": it does not belong to you or to root, so it was not copied into "HOSTS".
std::string ignoredForeignFile(const std::string& path, const std::string& hosts);

} // namespace quillon::core
