#include "core/FileErrors.h"

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

std::string ignoredForeignFile(const std::string& path, const std::string& hosts)
{
    return "Quillon ignored \"" + path + "\": it does not belong to you or to root, so it was not copied into \""
        + hosts + "\".";
}

} // namespace quillon::core
