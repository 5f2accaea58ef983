#pragma once
// Waiting for the privileged helper: the person may take their time over
// the password, so the helper runs on a worker while the window keeps
// handling its events, under the interface lock (nothing changes the records
// the worker reads; the captures' answers wait for the unlock too), with the
// work panel saying what it waits for. The panel's Cancel ends the helper's
// run (App::hostsWriter's setCancelled), which then answers Cancelled unless
// it had written the file already.

#include "core/App.h"
#include "platform/PrivilegedHostsWriter.h"

#include <functional>

namespace quillon::core {

platform::HostsWriteResult waitForHelper(App& app, const std::function<platform::HostsWriteResult()>& job);

} // namespace quillon::core
