#pragma once
// The desktop's top-level windows, as the window search for the browsers
// walks them: topmost first, each with its visibility, whether it has a
// parent or an owner, and its title.

#include <cstdint>
#include <string>
#include <vector>

namespace quillon::platform {

struct TopLevelWindow {
    std::uint64_t id = 0;
    bool visible = false;
    bool hasParent = false;
    bool hasOwner = false; // a transient (dialog) window of another
    std::string title;     // UTF-8
};

class TopLevelWindows {
public:
    virtual ~TopLevelWindows() = default;
    // Every top-level window, topmost first; empty without a display.
    virtual std::vector<TopLevelWindow> list() = 0;
};

} // namespace quillon::platform
