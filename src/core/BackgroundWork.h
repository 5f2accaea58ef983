#pragma once
// Work off the window's thread, and the window's side of waiting for it.
//
// A detached worker is a thread nobody joins: a reverse lookup of the
// address tool that a cancelled walk no longer waits for runs to its end on
// its own. Whatever such work calls must outlive it; the program's services
// live until it exits, and tests wait for the stragglers
// (waitForDetachedWork) before their doubles go.
//
// The window's thread never waits for an answer longer than EventSlice
// before its events are handled again (waitHandlingEvents here, a run's
// look-ahead in slices of its own), so that the window repaints and a click
// on Cancel is seen while the answer takes its time.

#include <chrono>
#include <functional>
#include <future>

namespace quillon::core {

// The longest wait for a worker before the window's events are handled.
// Below 50 ms so that the work between two slices (applying an answer, the
// work panel) still leaves the window handling events every 50 ms or sooner.
inline constexpr std::chrono::milliseconds EventSlice { 40 };

// Waits for future (std::future or std::shared_future), calling handleEvents
// after every slice that ends without the answer. Once giveUp (when given)
// says so after handleEvents, the wait ends: false. True when the answer is
// there.
template <typename Future>
bool waitHandlingEvents(const Future& future, const std::function<void()>& handleEvents,
                        const std::function<bool()>& giveUp = {})
{
    while (future.wait_for(EventSlice) != std::future_status::ready) {
        handleEvents();
        if (giveUp && giveUp())
            return false;
    }
    return true;
}

// Runs work on a detached thread; false (work not run) when no thread could
// be had. work must not throw.
bool runDetached(std::function<void()> work);
// Blocks until every work handed to runDetached has returned.
void waitForDetachedWork();

} // namespace quillon::core
