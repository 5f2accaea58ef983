#pragma once
// The work panel's progress through a run of n items, the one routine every
// long operation uses: before item i it shows the item (and "Verifying Host
// (i of n):" when n > 1), asks for the panel's paint (the window paints at
// its own pace, not once per item) and lets the window handle its events,
// which is when a click on Cancel is seen; after item i it moves the bar,
// but only when the whole percentage changes.

#include "core/App.h"

#include <string>

namespace quillon::core {

class WorkProgress {
public:
    WorkProgress(App& app, int total)
        : m_app(app)
        , m_total(total)
    {
    }

    // Prepares the panel for a cancellable run and shows it: action text,
    // empty item, bar at 0, "0%", Cancel enabled, animation running.
    void show(const std::string& action);
    void hide();

    void beginItem(int i, const std::string& item);
    void endItem(int i);

private:
    App& m_app;
    int m_total;
};

} // namespace quillon::core
