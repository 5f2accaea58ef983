#include "core/Paths.h"

namespace quillon::core {

std::string windowsHostsFolder(platform::WindowsSystem& system)
{
    std::string folder = system.windowsDirectory().value_or(std::string());
    if (system.platformId() == platform::WindowsSystem::PlatformWin32NT)
        folder += "\\system32\\drivers\\etc";
    return folder;
}

namespace {
// The files of the hosts folder: prefix (the folder and its separator)
// followed by the base name and its extensions.
HostsFilePaths hostsFilesIn(std::string folder, const std::string& prefix, const std::string& base)
{
    return { std::move(folder),         prefix + base,           prefix + base + ".bak",
             prefix + base + ".tmp",    prefix + base + ".orig", prefix + base + ".redo" };
}
} // namespace

HostsFilePaths windowsHostsFilePaths(const std::string& folder)
{
    return hostsFilesIn(folder, folder + "\\", "Hosts");
}

HostsFilePaths hostsFilePaths(const std::string& folder)
{
    std::string base = folder;
    while (base.size() > 1 && base.back() == '/')
        base.pop_back();
    const std::string prefix = base == "/" ? base : base + "/";
    return hostsFilesIn(base, prefix, "hosts");
}

void setProgramPaths(Paths& paths, const std::string& programFolder)
{
    paths.programFolder = programFolder;
    paths.help00 = programFolder + "Help00.htm";
    paths.ini = programFolder + "Quillon.ini";
    paths.a01 = programFolder + "Quillon.a01";
    paths.d01 = programFolder + "Quillon.d01";
    paths.d02 = programFolder + "Quillon.d02";
    paths.d03 = programFolder + "Quillon.d03";
    paths.n01 = programFolder + "Quillon.n01";
    paths.n02 = programFolder + "Quillon.n02";
    paths.ipHistory = programFolder + "iphist.dat";
    paths.saveJournal = programFolder + "Quillon.sav";
}

} // namespace quillon::core
