#pragma once
// Waiting for the privileged helper: the person may take their time over
// the password, so the helper runs on a worker while the window keeps
// handling its events, under the interface lock (nothing changes the records
// the worker reads; the captures' answers wait for the unlock too), with the
// work panel saying what it waits for.

#include "core/App.h"
#include "platform/PrivilegedHostsWriter.h"

#include <functional>

namespace quillon::core {

platform::HostsWriteResult waitForHelper(App& app, const std::function<platform::HostsWriteResult()>& job);

} // namespace quillon::core
