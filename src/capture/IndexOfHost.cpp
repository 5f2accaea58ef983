#include "capture/IndexOfHost.h"

namespace quillon::capture {

int IndexOfHost(const core::HostStore& store, std::string_view name)
{
    return store.activeIndexOf(name);
}

} // namespace quillon::capture
