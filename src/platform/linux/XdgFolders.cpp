#include "platform/XdgFolders.h"

#include <cerrno>
#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillon::platform {

std::string homeFolder()
{
    if (const char* home = std::getenv("HOME"); home && *home == '/')
        return home;
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir)
        return pw->pw_dir;
    return "/";
}

namespace {

std::string baseFolder(const char* variable, const char* underHome)
{
    // Relative paths are invalid by the rules and are ignored.
    if (const char* value = std::getenv(variable); value && *value == '/')
        return value;
    std::string home = homeFolder();
    if (home.size() > 1 && home.back() == '/')
        home.pop_back();
    return (home == "/" ? std::string() : home) + "/" + underHome;
}

} // namespace

std::string xdgConfigHome()
{
    return baseFolder("XDG_CONFIG_HOME", ".config");
}

std::string xdgDataHome()
{
    return baseFolder("XDG_DATA_HOME", ".local/share");
}

} // namespace quillon::platform

namespace quillon::platform {

std::string privateRuntimeFolderPath(const std::string& name)
{
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime == '/')
        return std::string(runtime) + "/" + name;
    return "/tmp/" + name + "-" + std::to_string(::getuid());
}

std::optional<std::string> privateRuntimeFolder(const std::string& name)
{
    const std::string folder = privateRuntimeFolderPath(name);
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        return std::nullopt;
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid()
        || (st.st_mode & 0077) != 0)
        return std::nullopt;
    return folder;
}

bool makeFolders(const std::string& folder)
{
    for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        const std::string part = folder.substr(0, slash);
        if (!part.empty() && ::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
        if (slash == std::string::npos || slash + 1 == folder.size())
            break;
    }
    struct stat st {};
    return ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace quillon::platform
