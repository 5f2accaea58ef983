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
    WorkPanelSetup panel;
    panel.action = WaitingForPermission;
    panel.cancelEnabled = false; // the authentication box has its own Cancel
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
    waitHandlingEvents(done, [&app] { app.shell.processEvents(); });
    platform::HostsWriteResult result = done.get();
    app.dialogs.hideWorkPanel();
    return result;
}

} // namespace quillon::core
