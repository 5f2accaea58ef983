#pragma once
// The top-level windows of the X11 desktop named by $DISPLAY, read through
// libxcb.
//
// With a window manager that follows EWMH, the windows are its client list
// (the application windows it manages, not its frames), topmost first.
// Without one, they are the root window's children, topmost first.
// A window counts as visible when it is shown, and a managed window also
// when it is minimised (iconic); menus and tooltips (override-redirect
// windows) never do. A window has an owner when it is transient for
// another (a dialog).
//
// The connection is opened at the first list() and kept; a lost one is
// opened again at the next list(). Without a display, or when the server
// cannot be reached or does not answer, list() gives an empty list and
// reports nothing. It waits for the server a second at most, so that a
// stopped server cannot stop the caller: the connecting itself runs on a
// thread of its own, and an attempt that takes longer is waited for no
// more, only looked at again by the next list(). The requests about the
// windows go out together, so that a list costs two round trips to the
// server however many windows there are.
//
// Call list() from one thread at a time.

#include "platform/TopLevelWindows.h"

#include <memory>

namespace quillon::platform {

class X11TopLevelWindows final : public TopLevelWindows {
public:
    X11TopLevelWindows();
    ~X11TopLevelWindows() override;
    X11TopLevelWindows(const X11TopLevelWindows&) = delete;
    X11TopLevelWindows& operator=(const X11TopLevelWindows&) = delete;

    std::vector<TopLevelWindow> list() override;

private:
    struct State; // the connection and what is known of its server
    std::unique_ptr<State> m_state;
};

} // namespace quillon::platform
