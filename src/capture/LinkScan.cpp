#include "capture/LinkScan.h"

#include "capture/UrlToHost.h"
#include "core/HostName.h"

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

namespace {

// Firefox's exports hold its own queries (place:) and bookmarklets hold
// scripts (javascript:); neither names a host, yet both would read as one
// ("place", "javascript").
bool isBrowserInternal(std::string_view address)
{
    for (const std::string_view scheme : { "place:", "javascript:" }) {
        if (address.size() >= scheme.size() && core::equalsIgnoreCase(address.substr(0, scheme.size()), scheme))
            return true;
    }
    return false;
}

} // namespace

platform::Status ScanLinks(platform::FileSystem& fs, const std::string& path, core::RecordList& candidates,
                           LinkKind kind)
{
    return fs.readLines(path, [&](std::string_view line) {
        const std::string_view address = linkOnLine(line, kind);
        if (address.empty() || isBrowserInternal(address))
            return;
        if (std::string host = cleanHostName(address, UrlSource::Plain); !host.empty())
            candidates.push_back(candidateFor(std::move(host)));
    });
}

} // namespace quillon::capture
