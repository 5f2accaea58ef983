#pragma once
// What the routines ask of the main window: the interface lock, the timers,
// the activity display, the host count and the current page. The window
// implements it; tests use a double that records the calls.

#include <string>
#include <vector>

namespace quillon::core {

enum class Timer { DDE, Files, Check, History };

class Shell {
public:
    virtual ~Shell() = default;

    // The interface lock: false locks (timers, connection watch, main menu
    // and pages disabled), true unlocks.
    virtual void setInterfaceUnlocked(bool unlocked) = 0;
    virtual void setTimerEnabled(Timer timer, bool enabled) = 0;
    // Shows a new activity indicator value (status light, tray icon).
    virtual void showActivity(int indicator) = 0;
    // Writes the current page's host count into the status bar.
    virtual void showHostCount() = 0;
    virtual int currentPage() const = 0;
    virtual void setCurrentPage(int page) = 0;
    // Lets the window handle pending events (paint, clicks on Cancel).
    virtual void processEvents() = 0;
    // A status bar panel's text (panels 1 and 2: the connection).
    virtual void setStatusPanelText(int panel, const std::string& text) = 0;
    // The selected rows of a page's view, ascending.
    virtual std::vector<int> selectedRows(int page) const = 0;
    // Replaces the selection of a page's view with the given rows.
    virtual void selectRows(int page, const std::vector<int>& rows) = 0;
    // Selects row alone and makes it the current row, from which a following
    // Shift+click extends the selection.
    virtual void selectCurrentRow(int page, int row) = 0;
    // Scrolls a page's view so that row is the first one visible.
    virtual void scrollRowToTop(int page, int row) = 0;
    // The busy (hourglass) cursor on or off.
    virtual void setBusyCursor(bool busy) = 0;
};

} // namespace quillon::core
