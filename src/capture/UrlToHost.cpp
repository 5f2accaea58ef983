#include "capture/UrlToHost.h"

#include "core/HostName.h"
#include "core/IntegerText.h"

#include <idn2.h>

#include <algorithm>

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
    // Only the characters of a host name pass: not what the cutting above
    // leaves of a bracketed IPv6 literal ("[" from "http://[::1]:8080/"), a
    // name still percent-encoded, nor invisible or direction-changing
    // characters.
    if (!core::isAdmissibleHostName(host))
        host.clear();
    return host;
}

namespace {

std::string percentDecoded(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const int high = i + 2 < text.size() ? core::hexDigitValue(text[i + 1]) : -1;
        const int low = i + 2 < text.size() ? core::hexDigitValue(text[i + 2]) : -1;
        if (text[i] == '%' && high >= 0 && low >= 0) {
            out.push_back(static_cast<char>(high * 16 + low));
            i += 2;
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

// The characters a URL's host may not hold, as the URL standard lists them
// (and control characters): such a URL has no host.
bool isForbiddenInHost(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return u <= 0x20 || u == 0x7f || std::string_view(" #%/:<>?@[\\]^|").find(c) != std::string_view::npos;
}

} // namespace

std::string webPageHost(std::string_view url)
{
    std::string_view rest;
    for (const std::string_view scheme : { "http://", "https://", "ftp://" }) {
        if (startsWithIgnoringCase(url, scheme))
            rest = url.substr(scheme.size());
    }
    if (rest.empty())
        return {};
    // The authority ends where the path, query or fragment begins; web URLs
    // read a backslash as a slash.
    std::string_view host = rest.substr(0, rest.find_first_of("/?#\\"));
    if (const auto at = host.rfind('@'); at != std::string_view::npos)
        host.remove_prefix(at + 1);
    // An IPv6 literal: an address, not a name to keep.
    if (host.starts_with('['))
        return {};
    host = host.substr(0, host.find(':'));
    std::string name = core::toLowerAscii(percentDecoded(host));
    if (std::any_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; })) {
        // An international name in its ASCII form, as the resolver asks for it.
        char* ascii = nullptr;
        if (idn2_to_ascii_8z(name.c_str(), &ascii, IDN2_NONTRANSITIONAL | IDN2_NFC_INPUT) != IDN2_OK) {
            idn2_free(ascii);
            return {};
        }
        name = ascii;
        idn2_free(ascii);
    }
    if (std::any_of(name.begin(), name.end(), isForbiddenInHost) || !core::isAdmissibleHostName(name))
        return {};
    return name;
}

} // namespace quillon::capture
