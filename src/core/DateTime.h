#pragma once
// Date-times as the program keeps them: a count of days since 1899-12-30,
// the time of day as the fraction. 0 means "never". Dates before the epoch are
// negative whole days with the time of day added as a positive fraction of
// their magnitude (-1.25 is 1899-12-29 06:00), as the stored files expect.
// The days elapsed between two values is their difference.

#include "platform/Clock.h"

#include <optional>

namespace quillon::core {

using TDateTime = double;

struct DateTimeFields {
    int year = 1899;
    int month = 12;
    int day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;

    bool operator==(const DateTimeFields&) const = default;
};

bool isLeapYear(int year);
int daysInMonth(int year, int month);

// Whole days since 1899-12-30 for a valid calendar date (years 1 to 9999).
std::optional<TDateTime> encodeDate(int year, int month, int day);
// Fraction of a day for a valid time of day.
std::optional<TDateTime> encodeTime(int hour, int minute, int second, int millisecond = 0);
// Both together; nothing when any field is out of range.
std::optional<TDateTime> encodeDateTime(const DateTimeFields& f);

// Calendar fields of a value, rounded to the millisecond. Values outside
// years 1 to 9999 are clamped into that range.
DateTimeFields decodeDateTime(TDateTime value);

TDateTime fromLocalTime(const platform::LocalTime& t);
inline TDateTime now(platform::Clock& clock) { return fromLocalTime(clock.now()); }

} // namespace quillon::core
