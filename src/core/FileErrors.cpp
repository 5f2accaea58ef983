#include "core/FileErrors.h"

#include <cstdio>

namespace quillon::core {

namespace {
std::string fileError(const char* what, const std::string& path, const platform::Status& status)
{
    return std::string(what) + " \"" + path + "\". " + status.reason();
}
} // namespace

std::string cannotOpenFile(const std::string& path, const platform::Status& status)
{
    return fileError("Cannot open file", path, status);
}

std::string cannotCreateFile(const std::string& path, const platform::Status& status)
{
    return fileError("Cannot create file", path, status);
}

std::string cannotReplaceFile(const std::string& path, const platform::Status& status)
{
    return fileError("Cannot replace file", path, status);
}

std::string notSavedUnreadable(const std::string& path)
{
    return "File \"" + path + "\" not saved: it could not be read when Quillon started.";
}

std::string hostsFolderRefusal(const std::string& folder, const platform::FolderWriters& writers)
{
    char mode[8];
    std::snprintf(mode, sizeof mode, "%04o", writers.mode & 07777);
    const std::string where = writers.itself ? "it" : "\"" + writers.folder + "\" above it";
    const std::string who = writers.otherOwner ? where + " belongs to another user, who" :
                                                 "other users may write into " + where + " (mode " + mode + "), so they";
    return "Quillon does not use the hosts folder \"" + folder + "\": " + who
        + " could read or replace the files Quillon writes there. Choose a folder only you may write with "
          "HostsFolder in Quillon.ini.";
}

std::string ignoredForeignFile(const std::string& path, const std::string& hosts)
{
    return "Quillon ignored \"" + path + "\": it does not belong to you or to root, so it was not copied into \""
        + hosts + "\".";
}

} // namespace quillon::core
