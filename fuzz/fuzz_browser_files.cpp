// The files the browsers leave for the program: bookmark files and cache
// listings scanned for links, and the registry store.
//
// Checked: every candidate of a scan is a host name the lists may take (not
// empty, nothing that could not stand on a hosts line) and is the host of
// the link on some line; a scan gives at most one candidate per line; a
// registry value never holds a line end, nor belongs to a key that is not
// there.

#include "FuzzSupport.h"

#include "capture/LinkScan.h"
#include "capture/UrlToHost.h"
#include "core/HostName.h"
#include "platform/LineSplitter.h"
#include "platform/linux/RegistryStore.h"

#include <cstdint>
#include <set>
#include <string>
#include <string_view>

using namespace quillon;
using fuzz::shown;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    fuzz::MemoryFileSystem fs;
    fs.put("file", text);

    std::size_t lines = 0;
    std::set<std::string> hostsOfLines[2];
    platform::LineSplitter splitter([&](std::string_view line) {
        ++lines;
        for (const capture::LinkKind kind : { capture::LinkKind::Bookmark, capture::LinkKind::CacheListing }) {
            const std::string host = capture::cleanHostName(capture::linkOnLine(line, kind), capture::UrlSource::Plain);
            if (!host.empty())
                hostsOfLines[static_cast<int>(kind) - 1].insert(host);
        }
    });
    splitter.feed(text);
    splitter.finish();

    for (const capture::LinkKind kind : { capture::LinkKind::Bookmark, capture::LinkKind::CacheListing }) {
        core::RecordList candidates;
        FUZZ_CHECK(capture::ScanLinks(fs, "file", candidates, kind).isOk(), shown(text));
        FUZZ_CHECK(candidates.size() <= lines, shown(text));
        for (const auto& c : candidates) {
            FUZZ_CHECK(!c->HostName.empty() && !core::isUnsafeHostName(c->HostName), shown(c->HostName));
            FUZZ_CHECK(hostsOfLines[static_cast<int>(kind) - 1].count(c->HostName) == 1, shown(c->HostName));
        }
    }

    platform::RegistryStore registry(fs, "file");
    for (const auto root : { platform::RegistryRoot::LocalMachine, platform::RegistryRoot::CurrentUser }) {
        for (const char* key : { "\\Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\IEXPLORE.EXE", "a", "" }) {
            const bool exists = registry.keyExists(root, key);
            for (const char* name : { "", "Path", "Favorites", "a" }) {
                const std::optional<std::string> value = registry.readValue(root, key, name);
                FUZZ_CHECK(!value || exists, shown(text));
                FUZZ_CHECK(!value || value->find_first_of("\r\n") == std::string::npos, shown(*value));
            }
        }
    }
    return 0;
}
