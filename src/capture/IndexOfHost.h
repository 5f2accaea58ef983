#pragma once
// Where a name stands in the active list: the first position whose host name
// matches, letter case ignored, or -1.

#include "core/HostStore.h"

#include <string_view>

namespace quillon::capture {

int IndexOfHost(const core::HostStore& store, std::string_view name);

} // namespace quillon::capture
