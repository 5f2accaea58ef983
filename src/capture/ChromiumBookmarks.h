#pragma once
// The bookmarks of a Chromium-family profile: its "Bookmarks" file, JSON
// with folders under "roots", each page a node of type "url".

#include <functional>
#include <string>
#include <string_view>

namespace quillon::capture {

// Calls take with the URL of every bookmark in text, in the file's order;
// false when text is not such a file.
bool forEachChromiumBookmark(std::string_view text, const std::function<void(std::string_view url)>& take);

} // namespace quillon::capture
