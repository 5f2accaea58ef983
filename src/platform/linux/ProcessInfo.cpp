#include "platform/ProcessInfo.h"

#include "platform/linux/PosixFileSystem.h"

#include "platform/XdgFolders.h"

#include <sys/stat.h>

#include <climits>
#include <unistd.h>

namespace quillon::platform {

std::string executablePath()
{
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0)
        return {};
    return std::string(buffer, static_cast<std::size_t>(n));
}

std::string executableFolder()
{
    const std::string path = executablePath();
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return "./";
    return path.substr(0, slash + 1);
}

ProgramPlace programPlace(const std::string& executableFolder)
{
    ProgramPlace place;
    place.executableFolder = executableFolder;
    // A folder others may also write is no place for the person's files:
    // they could plant links under the names the program writes.
    place.executableFolderWritable = ::access(executableFolder.c_str(), W_OK) == 0
        && !PosixFileSystem().othersMayWrite(executableFolder).any();
    // PREFIX/bin/quillon finds its pages in PREFIX/share/quillon.
    std::string folder = executableFolder;
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    const auto slash = folder.rfind('/');
    if (slash != std::string::npos && folder.substr(slash) == "/bin") {
        const std::string assets = folder.substr(0, slash) + "/share/quillon/";
        struct stat st {};
        if (::stat((assets + "Help00.htm").c_str(), &st) == 0 && S_ISREG(st.st_mode))
            place.installedAssets = assets;
    }
    place.configHome = xdgConfigHome();
    place.dataHome = xdgDataHome();
    return place;
}

} // namespace quillon::platform
