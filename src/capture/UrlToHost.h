#pragma once
// Host names from URLs: the reduction of a URL (typed, from a browser
// window, or from a cache entry) to its host.

#include <string>
#include <string_view>

namespace quillon::capture {

enum class UrlSource {
    Plain = 0,       // a URL or a typed name
    BrowserReply = 1, // a quoted URL followed by further quoted fields
    CacheEntry = 2,   // "Visited: user@URL"
};

// The host of a URL: scheme, path, user and port taken away; empty for
// about:, file:, mailto: and res: addresses (and mk:, ms-its: cache
// entries). Letter case, blanks and a trailing dot are left as they are.
std::string UrlToHost(std::string_view text, UrlSource source);

// A name from outside as the lists may take it: UrlToHost, and the empty
// name for a result that holds a blank, a control character or "#" (it could
// otherwise add lines of its own to the system hosts file), or that cannot
// be a host name (what is left of "[::1]", a name still holding "%").
std::string cleanHostName(std::string_view text, UrlSource source);

// The host of a web page's URL (http, https or ftp), as a URL parser reads
// it: percent-decoded, in lower case, an international name in its ASCII
// (IDNA) form; empty for an IPv6 literal, a host a URL may not have, and
// every other kind of URL (javascript:, data:, place:, ...), which the
// browsers' own histories and bookmarks also hold.
std::string webPageHost(std::string_view url);

} // namespace quillon::capture
