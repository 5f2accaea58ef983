#include "capture/BrowserWindows.h"

namespace quillon::capture {

namespace {
constexpr std::size_t MaxTitleBytes = 2047;
}

bool isExplorerTitle(std::string_view title)
{
    return title.find("Microsoft Internet Explorer") != std::string_view::npos;
}

bool isNetscapeTitle(std::string_view title)
{
    constexpr std::string_view word = "Netscape";
    const auto first = title.find(word);
    return first != std::string_view::npos && first + word.size() == title.size();
}

BrowserWindowsFound FindBrowserWindows(platform::TopLevelWindows& windows)
{
    BrowserWindowsFound found;
    for (const platform::TopLevelWindow& w : windows.list()) {
        if (!w.visible || w.hasParent || w.hasOwner)
            continue;
        const std::string_view title = std::string_view(w.title).substr(0, MaxTitleBytes);
        if (title.empty())
            continue;
        if (!found.ExplorerWindowFound)
            found.ExplorerWindowFound = isExplorerTitle(title);
        if (!found.NetscapeWindowFound)
            found.NetscapeWindowFound = isNetscapeTitle(title);
        if (found.ExplorerWindowFound && found.NetscapeWindowFound)
            break;
    }
    return found;
}

} // namespace quillon::capture
