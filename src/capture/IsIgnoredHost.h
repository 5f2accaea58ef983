#pragma once
// Whether a name is on the Ignore list: the whole name, letter case ignored;
// an entry never covers other names of its domain.

#include "core/HostStore.h"

#include <string_view>

namespace quillon::capture {

bool IsIgnoredHost(const core::HostStore& store, std::string_view name);

} // namespace quillon::capture
