#include "platform/XdgFolders.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace quillon::platform {

namespace {

std::string homeFolder()
{
    if (const char* home = std::getenv("HOME"); home && *home == '/')
        return home;
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir)
        return pw->pw_dir;
    return "/";
}

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
