#include "platform/linux/SystemClock.h"

#include <ctime>

namespace quillon::platform {

LocalTime SystemClock::now()
{
    timespec ts {};
    ::clock_gettime(CLOCK_REALTIME, &ts);
    std::tm tm {};
    ::localtime_r(&ts.tv_sec, &tm);
    LocalTime t;
    t.year = tm.tm_year + 1900;
    t.month = tm.tm_mon + 1;
    t.day = tm.tm_mday;
    t.hour = tm.tm_hour;
    t.minute = tm.tm_min;
    t.second = tm.tm_sec > 59 ? 59 : tm.tm_sec; // a leap second counts as :59
    t.millisecond = static_cast<int>(ts.tv_nsec / 1'000'000);
    return t;
}

std::uint64_t SystemClock::tickCountMs()
{
    timespec ts {};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::uint64_t>(ts.tv_sec) * 1000 + static_cast<std::uint64_t>(ts.tv_nsec) / 1'000'000;
}

} // namespace quillon::platform
