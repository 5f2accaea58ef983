#pragma once
// A clock that says what the test sets.

#include "platform/Clock.h"

namespace quillon::test {

class FakeClock final : public platform::Clock {
public:
    platform::LocalTime time { 2024, 6, 15, 12, 0, 0, 0 };
    std::uint64_t ticks = 0;

    platform::LocalTime now() override { return time; }
    std::uint64_t tickCountMs() override { return ticks; }
};

} // namespace quillon::test
