#pragma once
// The interface lock and the activity indicator, and the one way failures
// reach the person.

#include "core/App.h"

#include <string>

namespace quillon::core {

// The interface lock: false locks (timers, connection watch, menus and pages
// off), true unlocks. Long operations come in pairs: lock, work, unlock.
void setInterfaceLock(App& app, bool unlocked);

// Locks for the lifetime of the guard, so that every way out of a long
// operation, a failure included, unlocks again.
class InterfaceLockGuard {
public:
    explicit InterfaceLockGuard(App& app)
        : m_app(app)
    {
        setInterfaceLock(m_app, false);
    }
    ~InterfaceLockGuard() { setInterfaceLock(m_app, true); }
    InterfaceLockGuard(const InterfaceLockGuard&) = delete;
    InterfaceLockGuard& operator=(const InterfaceLockGuard&) = delete;

private:
    App& m_app;
};

// Whether a timer runs while the interface is unlocked: the capture timer
// only when capture from a browser is on, and none whose interval is 0 or
// less (possible only by hand in the settings file), which would otherwise
// fire without pause.
bool timerMayRun(const Settings& settings, Timer timer);

void setActivityIndicator(App& app, int indicator);

// Clears the cancel flag as a long operation starts; while the program is
// ending it stays set, so that nothing new runs its course.
void startCancellable(App& app);

// A failure, shown as a warning box with its reason.
void reportError(App& app, const std::string& message);

} // namespace quillon::core
