#include "core/DateTime.h"

#include <cmath>
#include <cstdint>

namespace quillon::core {

namespace {

constexpr std::int64_t MsPerDay = 86'400'000;
// Days from 0001-01-01 to 1899-12-30.
constexpr std::int64_t EpochOffset = 693'593;
constexpr std::int64_t MinDay = -EpochOffset;              // 0001-01-01
constexpr std::int64_t MaxDay = 2'958'465;                 // 9999-12-31

// Days since 0001-01-01 of a valid date.
std::int64_t dayNumber(int year, int month, int day)
{
    std::int64_t days = day;
    for (int m = 1; m < month; ++m)
        days += daysInMonth(year, m);
    const std::int64_t y = year - 1;
    return days - 1 + y * 365 + y / 4 - y / 100 + y / 400;
}

void splitDayNumber(std::int64_t n, int& year, int& month, int& day)
{
    // n: days since 0001-01-01.
    std::int64_t y400 = n / 146'097;
    n %= 146'097;
    std::int64_t y100 = n / 36'524;
    if (y100 == 4)
        y100 = 3;
    n -= y100 * 36'524;
    const std::int64_t y4 = n / 1461;
    n %= 1461;
    std::int64_t y1 = n / 365;
    if (y1 == 4)
        y1 = 3;
    n -= y1 * 365;
    year = static_cast<int>(y400 * 400 + y100 * 100 + y4 * 4 + y1 + 1);
    month = 1;
    while (n >= daysInMonth(year, month)) {
        n -= daysInMonth(year, month);
        ++month;
    }
    day = static_cast<int>(n) + 1;
}

} // namespace

bool isLeapYear(int year)
{
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int daysInMonth(int year, int month)
{
    static constexpr int days[] = { 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31 };
    if (month < 1 || month > 12)
        return 0;
    return month == 2 && isLeapYear(year) ? 29 : days[month - 1];
}

std::optional<TDateTime> encodeDate(int year, int month, int day)
{
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month))
        return std::nullopt;
    return static_cast<TDateTime>(dayNumber(year, month, day) - EpochOffset);
}

std::optional<TDateTime> encodeTime(int hour, int minute, int second, int millisecond)
{
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || millisecond < 0
        || millisecond > 999)
        return std::nullopt;
    const std::int64_t ms = ((hour * 60LL + minute) * 60 + second) * 1000 + millisecond;
    return static_cast<TDateTime>(ms) / MsPerDay;
}

std::optional<TDateTime> encodeDateTime(const DateTimeFields& f)
{
    const auto date = encodeDate(f.year, f.month, f.day);
    const auto time = encodeTime(f.hour, f.minute, f.second, f.millisecond);
    if (!date || !time)
        return std::nullopt;
    // Before the epoch the time of day counts away from zero.
    return *date >= 0 ? *date + *time : *date - *time;
}

DateTimeFields decodeDateTime(TDateTime value)
{
    if (!std::isfinite(value))
        value = 0;
    double whole = std::trunc(value);
    std::int64_t ms = std::llround(std::fabs(value - whole) * MsPerDay);
    if (ms >= MsPerDay) { // rounding reached the next day
        ms -= MsPerDay;
        whole += value < 0 ? -1 : 1;
    }
    std::int64_t day = whole < MinDay ? MinDay : whole > MaxDay ? MaxDay : static_cast<std::int64_t>(whole);
    DateTimeFields f;
    splitDayNumber(day + EpochOffset, f.year, f.month, f.day);
    f.millisecond = static_cast<int>(ms % 1000);
    const std::int64_t secs = ms / 1000;
    f.second = static_cast<int>(secs % 60);
    f.minute = static_cast<int>(secs / 60 % 60);
    f.hour = static_cast<int>(secs / 3600);
    return f;
}

TDateTime fromLocalTime(const platform::LocalTime& t)
{
    const auto v = encodeDateTime({ t.year, t.month, t.day, t.hour, t.minute, t.second, t.millisecond });
    return v.value_or(0);
}

} // namespace quillon::core
