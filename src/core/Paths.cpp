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

void setProgramPaths(Paths& paths, const ProgramFolders& folders)
{
    paths.folders = folders;
    paths.help00 = folders.assets + "Help00.htm";
    paths.a01 = folders.assets + "Quillon.a01";
    paths.n02 = folders.assets + "Quillon.n02";
    paths.ini = folders.settings + "Quillon.ini";
    paths.d01 = folders.data + "Quillon.d01";
    paths.d02 = folders.data + "Quillon.d02";
    paths.d03 = folders.data + "Quillon.d03";
    paths.d04 = folders.data + "Quillon.d04";
    paths.d05 = folders.data + "Quillon.d05";
    paths.n01 = folders.data + "Quillon.n01";
    paths.ipHistory = folders.data + "iphist.dat";
    paths.saveJournal = folders.data + "Quillon.sav";
}

} // namespace quillon::core
