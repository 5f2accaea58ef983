#pragma once
// The main window's side of the routines, as a recording double.

#include "core/Shell.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace quillon::test {

class FakeShell final : public core::Shell {
public:
    // "lock" / "unlock" per call of the interface lock, in order.
    std::vector<std::string> lockCalls;
    bool unlocked = false;
    std::map<core::Timer, bool> timers;
    std::vector<int> activity;
    int hostCountShown = 0;
    int page = 0;
    int eventsProcessed = 0;
    std::function<void()> onProcessEvents;
    std::map<int, std::string> panels;
    std::map<int, std::vector<int>> selections;
    std::map<int, int> currentRows;
    std::pair<int, int> scrolledTo { -1, -1 };
    std::vector<bool> busyCalls;

    void setInterfaceUnlocked(bool on) override
    {
        lockCalls.push_back(on ? "unlock" : "lock");
        unlocked = on;
        for (auto t : { core::Timer::DDE, core::Timer::Files, core::Timer::Check, core::Timer::History })
            timers[t] = on;
    }
    void setTimerEnabled(core::Timer timer, bool enabled) override { timers[timer] = enabled; }
    void showActivity(int indicator) override { activity.push_back(indicator); }
    void showHostCount() override { ++hostCountShown; }
    int currentPage() const override { return page; }
    void setCurrentPage(int p) override { page = p; }
    void processEvents() override
    {
        ++eventsProcessed;
        if (onProcessEvents)
            onProcessEvents();
    }
    void setStatusPanelText(int panel, const std::string& text) override { panels[panel] = text; }
    std::vector<int> selectedRows(int p) const override
    {
        const auto it = selections.find(p);
        return it == selections.end() ? std::vector<int> {} : it->second;
    }
    void selectRows(int p, const std::vector<int>& rows) override { selections[p] = rows; }
    void selectCurrentRow(int p, int row) override
    {
        selections[p] = { row };
        currentRows[p] = row;
    }
    void scrollRowToTop(int p, int row) override { scrolledTo = { p, row }; }
    void setBusyCursor(bool busy) override { busyCalls.push_back(busy); }
};

} // namespace quillon::test
