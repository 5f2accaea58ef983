#include "platform/linux/UrlCacheFile.h"

#include "platform/XdgFolders.h"

namespace quillon::platform {

UrlCacheFile::UrlCacheFile(FileSystem& fileSystem, std::string path)
    : m_fs(fileSystem)
    , m_path(std::move(path))
{
}

std::string UrlCacheFile::defaultPath()
{
    return xdgDataHome() + "/quillon/url-cache";
}

void UrlCacheFile::forEach(const std::function<void(std::string_view)>& take)
{
    m_fs.readLines(m_path, [&](std::string_view line) {
        if (!line.empty())
            take(line);
    });
}

} // namespace quillon::platform
