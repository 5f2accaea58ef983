#pragma once
// The history of visited pages kept as a text file, one entry name
// ("Visited: user@URL") per line, oldest first; the stand-in browser appends
// to it as it navigates (docs/registry-store.md says where it lives).

#include "platform/FileSystem.h"
#include "platform/VisitedUrls.h"

#include <string>

namespace quillon::platform {

class UrlCacheFile final : public VisitedUrls {
public:
    UrlCacheFile(FileSystem& fileSystem, std::string path);
    static std::string defaultPath(); // $XDG_DATA_HOME/quillon/url-cache

    // Empty lines are no entries; a file that cannot be read gives none.
    void forEach(const std::function<void(std::string_view entry)>& take) override;

private:
    FileSystem& m_fs;
    std::string m_path;
};

} // namespace quillon::platform
