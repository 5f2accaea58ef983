#pragma once
// Local wall-clock time and a monotonic millisecond tick, so that tests can
// run the program at a chosen date and time.

#include <cstdint>

namespace quillon::platform {

struct LocalTime {
    int year = 1899;
    int month = 12;
    int day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual LocalTime now() = 0;
    // Milliseconds from an arbitrary start; never goes back.
    virtual std::uint64_t tickCountMs() = 0;
};

} // namespace quillon::platform
