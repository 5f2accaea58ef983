#pragma once
// The main window's placement as the program exit saves it.

namespace quillon::core {

struct WindowPlacement {
    bool maximized = false;
    // Neither maximized nor minimized: only then are the bounds worth keeping.
    bool normal = true;
    int top = 0;
    int left = 0;
    int height = 0;
    int width = 0;
};

} // namespace quillon::core
