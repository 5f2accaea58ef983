#include "core/BackgroundWork.h"

#include <atomic>
#include <system_error>
#include <thread>

namespace quillon::core {

namespace {

// How many detached works are still running. An atomic has no destructor to
// run at exit, so a worker still running then never counts down on a
// destroyed object.
std::atomic<int> g_running { 0 };

void countDown()
{
    g_running.fetch_sub(1);
    g_running.notify_all();
}

} // namespace

bool runDetached(std::function<void()> work)
{
    g_running.fetch_add(1);
    try {
        std::thread([work = std::move(work)]() mutable {
            work();
            // What the work captured goes before it counts as finished.
            work = nullptr;
            countDown();
        }).detach();
    } catch (const std::system_error&) {
        countDown();
        return false;
    }
    return true;
}

void waitForDetachedWork()
{
    for (int n = g_running.load(); n != 0; n = g_running.load())
        g_running.wait(n);
}

} // namespace quillon::core
