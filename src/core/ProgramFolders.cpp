#include "core/ProgramFolders.h"

namespace quillon::core {

ProgramFolders foldersBeside(const std::string& folder)
{
    return { folder, folder, folder };
}

ProgramFolders chooseProgramFolders(const platform::ProgramPlace& place)
{
    // An installed program keeps the person's files in the person's folders
    // even when it could write its own (root can write /usr/local/bin).
    const bool installed = !place.installedAssets.empty();
    if (!installed && place.executableFolderWritable)
        return foldersBeside(place.executableFolder);
    return { place.configHome + "/quillon/", place.dataHome + "/quillon/",
             installed ? place.installedAssets : place.executableFolder };
}

} // namespace quillon::core
