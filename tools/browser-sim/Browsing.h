#pragma once
// What browser-sim needs to know about the browser it plays and the pages
// it shows: the two roles with their DDE services and window titles, how a
// typed or requested address becomes the URL shown, and the texts it
// writes (window info replies, the cache listing, saved pages). No widgets.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillon::browsersim {

enum class Role { IExplore, Netscape };

// The role named by "iexplore" or "netscape": letter case, a leading folder
// and an ".exe" ending ignored ("/opt/bin/IEXPLORE.EXE" is IExplore).
std::optional<Role> roleFromName(std::string_view name);
// The DDE service, also the role's name in options and file names.
std::string serviceName(Role role);
// As the browsers titled their windows: "<page> - Microsoft Internet
// Explorer", "<page> - Netscape".
std::string windowTitleFor(Role role, const std::string& pageTitle);

// The URL a browser shows for what it was told to open: a local path
// ("/x/y") becomes file:///x/y, a bare host or host and path gets http://,
// a web address without a path gets "/", and nothing at all is about:blank.
std::string normaliseUrl(std::string_view typed);
// The URL's host, or the URL itself when it has none (about:blank, file:).
std::string pageTitle(const std::string& url);

// The window ids of the DDE interface: the browser's one window, and the
// id that means "the last active window".
constexpr std::uint32_t WindowId = 1;
constexpr std::uint32_t LastActiveWindow = 0xFFFFFFFF;
// "0x1", "1", "0xFFFFFFFF" as a number; nothing for anything else.
std::optional<std::uint32_t> parseWindowId(std::string_view text);
// How replies name a window: "0x1".
std::string windowIdText(std::uint32_t id);

// The fields of a WWW_OpenURL item, split at commas; a field in double
// quotes may hold commas, with \" for a quote inside.
std::vector<std::string> splitArguments(std::string_view item);
// The WWW_GetWindowInfo reply: "<url>","<title>", with \" for quotes inside.
std::string windowInfoReply(const std::string& url, const std::string& title);
// The about:cache page, as Netscape wrote it: one line per URL, each with
// exactly one anchor <A HREF="about:URL">URL</A>.
std::string cacheListing(const std::vector<std::string>& urls);
// The page saved into a file for a URL other than about:cache.
std::string savedPage(const std::string& url);

// A request's text made safe for a one-line log entry: backslash, tab,
// newline and carriage return written as \\, \t, \n, \r.
std::string logEscape(std::string_view text);

} // namespace quillon::browsersim
