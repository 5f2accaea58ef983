#include "capture/UrlToHost.h"

#include "core/HostName.h"

#include <initializer_list>

namespace quillon::capture {

namespace {
bool startsWithIgnoringCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && core::equalsIgnoreCase(text.substr(0, prefix.size()), prefix);
}
} // namespace

std::string UrlToHost(std::string_view text, UrlSource source)
{
    std::string_view s = text;
    if (source == UrlSource::BrowserReply) {
        if (!s.empty() && s.front() == '"')
            s.remove_prefix(1);
        if (const auto quote = s.find('"'); quote != std::string_view::npos)
            s = s.substr(0, quote);
    }
    if (source == UrlSource::CacheEntry) {
        if (const auto at = s.find('@'); at != std::string_view::npos)
            s.remove_prefix(at + 1);
        if (startsWithIgnoringCase(s, "mk:") || startsWithIgnoringCase(s, "ms-its:"))
            s = {};
    }
    for (const std::string_view refused : { "about:", "file:", "mailto:", "res:" }) {
        if (startsWithIgnoringCase(s, refused))
            s = {};
    }
    if (s.empty())
        return {};
    if (const auto scheme = s.find("://"); scheme != std::string_view::npos)
        s.remove_prefix(scheme + 3);
    if (const auto slash = s.find('/'); slash != std::string_view::npos)
        s = s.substr(0, slash);
    if (const auto at = s.rfind('@'); at != std::string_view::npos)
        s.remove_prefix(at + 1);
    if (const auto colon = s.find(':'); colon != std::string_view::npos)
        s = s.substr(0, colon);
    return std::string(s);
}

std::string cleanHostName(std::string_view text, UrlSource source)
{
    std::string host = UrlToHost(text, source);
    if (core::isUnsafeHostName(host))
        host.clear();
    return host;
}

std::string webPageHost(std::string_view url)
{
    for (const std::string_view scheme : { "http://", "https://", "ftp://" }) {
        if (startsWithIgnoringCase(url, scheme))
            return cleanHostName(url, UrlSource::Plain);
    }
    return {};
}

} // namespace quillon::capture
