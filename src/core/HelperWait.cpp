#include "core/HelperWait.h"

#include "core/BackgroundWork.h"
#include "core/Interface.h"

#include <future>
#include <optional>
#include <system_error>

namespace quillon::core {

namespace {

constexpr const char* WaitingForPermission = "Waiting for permission to write the system hosts file...";

} // namespace

platform::HostsWriteResult waitForHelper(App& app, const std::function<platform::HostsWriteResult()>& job)
{
    std::optional<InterfaceLockGuard> lock;
    if (app.state.unlocked)
        lock.emplace(app);
    // Cancel works while pkexec asks and while the helper waits for its
    // lock; the authentication box has its own Cancel as well. While the
    // program is ending, the exit save must not cancel itself: the flag is
    // already set then.
    const bool cancellable = !app.state.ending && app.hostsWriter != nullptr;
    const bool cancelBefore = app.state.cancel;
    if (cancellable) {
        app.state.cancel = false;
        app.hostsWriter->setCancelled(false);
    }
    WorkPanelSetup panel;
    panel.action = WaitingForPermission;
    panel.cancelEnabled = cancellable;
    app.dialogs.showWorkPanel(panel);
    app.dialogs.repaintWorkPanel();
    std::future<platform::HostsWriteResult> done;
    try {
        done = std::async(std::launch::async, job);
    } catch (const std::system_error&) {
        std::promise<platform::HostsWriteResult> now; // no thread to be had: the window waits unpainted
        now.set_value(job());
        done = now.get_future();
    }
    bool cancelled = false;
    waitHandlingEvents(done, [&] {
        app.shell.processEvents();
        // Said again at every slice until the worker returns: it may not
        // have started the helper when Cancel is clicked.
        if (cancellable && (cancelled || app.state.cancel)) {
            cancelled = true;
            app.hostsWriter->setCancelled(true);
        }
    });
    platform::HostsWriteResult result = done.get();
    if (cancellable) {
        app.hostsWriter->setCancelled(false);
        // An operation cancelled before this save stays cancelled.
        app.state.cancel = cancelBefore || cancelled;
    }
    app.dialogs.hideWorkPanel();
    return result;
}

} // namespace quillon::core
