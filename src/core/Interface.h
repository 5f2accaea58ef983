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

void setActivityIndicator(App& app, int indicator);

// A failure, shown as a warning box with its reason.
void reportError(App& app, const std::string& message);

} // namespace quillon::core
