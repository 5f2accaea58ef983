#pragma once
// The system's local time and monotonic clock.

#include "platform/Clock.h"

namespace quillon::platform {

class SystemClock final : public Clock {
public:
    LocalTime now() override;
    std::uint64_t tickCountMs() override;
};

} // namespace quillon::platform
