// URLs to host names, from every source: a typed or plain URL, a browser's
// quoted reply and a cache entry. The input is tried whole and line by line.
//
// Checked: the host is a piece of the input cut out whole (case, blanks and
// a trailing dot kept) holding no "/", "@" or ":" (nor a quote from a
// browser reply); a host taken again (as a plain URL, from its own source,
// or from any source when it holds no quote) is the same host; a plain
// name without those characters is its own host; cleanHostName is the host
// or nothing, and never a name that could not stand on a hosts line.

#include "FuzzSupport.h"

#include "capture/UrlToHost.h"
#include "core/HostName.h"
#include "core/ListFile.h"

#include <cstdint>
#include <string>
#include <string_view>

using namespace quillon;
using namespace quillon::capture;
using fuzz::shown;

namespace {

constexpr UrlSource Sources[] = { UrlSource::Plain, UrlSource::BrowserReply, UrlSource::CacheEntry };

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && core::equalsIgnoreCase(text.substr(0, prefix.size()), prefix);
}

void checkUrl(std::string_view url)
{
    for (const UrlSource source : Sources) {
        const std::string host = UrlToHost(url, source);
        const std::string what = shown(url) + " (source " + std::to_string(static_cast<int>(source)) + ") gives "
            + shown(host);
        FUZZ_CHECK(url.find(host) != std::string_view::npos, what);
        FUZZ_CHECK(host.find_first_of("/@:") == std::string::npos, what);
        if (source == UrlSource::BrowserReply)
            FUZZ_CHECK(host.find('"') == std::string::npos, what);
        // Taken again as a plain URL or from the same source; a browser reply
        // cuts at a quote, which a host from elsewhere may hold.
        for (const UrlSource again : Sources) {
            if (again == UrlSource::BrowserReply && source != again && host.find('"') != std::string::npos)
                continue;
            FUZZ_CHECK(UrlToHost(host, again) == host, what + ", taken again " + shown(UrlToHost(host, again)));
        }

        const std::string clean = cleanHostName(url, source);
        FUZZ_CHECK(clean.empty() || core::isAdmissibleHostName(clean), what + ", clean " + shown(clean));
        // What holds other characters than a host name's ("[" of an IPv6
        // literal, "%", invisible ones) is none.
        const bool noName = !core::isAdmissibleHostName(host);
        FUZZ_CHECK(clean == (noName ? std::string() : host), what + ", clean " + shown(clean));
        FUZZ_CHECK(cleanHostName(clean, UrlSource::Plain) == clean, what);
    }
    // A plain name is its own host.
    if (url.find_first_of("/@:") == std::string_view::npos)
        FUZZ_CHECK(UrlToHost(url, UrlSource::Plain) == url, shown(url));
    // The refused schemes give nothing.
    for (const std::string_view scheme : { "about:", "file:", "mailto:", "res:" }) {
        if (startsWithIgnoringCase(url, scheme))
            FUZZ_CHECK(UrlToHost(url, UrlSource::Plain).empty(), shown(url));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text = fuzz::asText(data, size);
    checkUrl(text);
    core::forEachLine(text, [](std::string_view line) {
        checkUrl(line);
        // An Internet Shortcut's "URL=" line.
        if (startsWithIgnoringCase(line, "URL="))
            checkUrl(line.substr(4));
    });
    return 0;
}
