#include "capture/LinkScan.h"

#include "capture/UrlToHost.h"

namespace quillon::capture {

std::string_view linkOnLine(std::string_view line, LinkKind kind)
{
    const std::string_view pattern = kind == LinkKind::Bookmark ? "<A HREF=\"" : " HREF=\"about:";
    const auto at = line.find(pattern);
    if (at == std::string_view::npos)
        return {};
    std::string_view address = line.substr(at + pattern.size());
    return address.substr(0, address.find('"'));
}

core::RecordPtr candidateFor(std::string host)
{
    auto record = std::make_unique<core::TRecHost>();
    record->HostName = std::move(host);
    return record;
}

platform::Status ScanLinks(platform::FileSystem& fs, const std::string& path, core::RecordList& candidates,
                           LinkKind kind)
{
    return fs.readLines(path, [&](std::string_view line) {
        const std::string_view address = linkOnLine(line, kind);
        if (address.empty())
            return;
        if (std::string host = cleanHostName(address, UrlSource::Plain); !host.empty())
            candidates.push_back(candidateFor(std::move(host)));
    });
}

} // namespace quillon::capture
