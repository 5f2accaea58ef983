#pragma once
// The system's history of visited pages (the URL cache), as an ordered
// stream of entry names "Visited: user@URL".

#include <functional>
#include <string_view>

namespace quillon::platform {

class VisitedUrls {
public:
    virtual ~VisitedUrls() = default;
    // Calls take with each entry name in the cache's order. An empty or
    // missing history gives no entries.
    virtual void forEach(const std::function<void(std::string_view entry)>& take) = 0;
};

} // namespace quillon::platform
