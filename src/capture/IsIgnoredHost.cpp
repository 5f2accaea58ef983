#include "capture/IsIgnoredHost.h"

#include "core/HostName.h"

namespace quillon::capture {

bool IsIgnoredHost(const core::HostStore& store, std::string_view name)
{
    for (const std::string& ignored : store.ignoreNames()) {
        if (core::equalsIgnoreCase(ignored, name))
            return true;
    }
    return false;
}

} // namespace quillon::capture
