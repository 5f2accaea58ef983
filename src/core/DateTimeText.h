#pragma once
// The platform's standard date-time text, as the settings file stores
// date-times: the locale's short date with a four-digit year, a space, and
// the long time. A value at exactly midnight is written as the date alone.
// Milliseconds are never written, so a value survives format() and parse()
// to the second.
//
// The patterns are strftime patterns (platform::DateTimeFormats). Supported
// conversions: %d %e %m %Y %y %H %I %M %S %p %P %T %R %r %D %F %x %X %n %t %%;
// every other character is literal text. Rules applied when the patterns are
// taken in:
// - %y is written and read as %Y, and %D and %x as %m/%d/%Y, so that no year
//   is ever stored with two digits.
// - %n and %t are written as a space, so that the text stays on one line of
//   the settings file; reading accepts one space, tab or line feed for them.
// - The date pattern must hold the day, the month and the year once each,
//   and nothing of the time; the time pattern must hold the hour, the minute
//   and the second once each and nothing of the date, with %p or %P exactly
//   when the hour is on the 12-hour clock (%I), and AM/PM texts that differ.
//   A pattern that breaks these rules, or uses any other conversion (month
//   or day names such as %b or %a, the %E and %O modifiers, glibc flags such
//   as %-d), is replaced as a whole: the date by "%Y-%m-%d", the time by
//   "%H:%M:%S". Such a pattern could not be read back to the second.
//
// parse() accepts the date alone, or the date, one space and the time, and
// nothing else: no other blanks, no trailing text. Numbers may have fewer
// digits than format() writes ("5.3.2001" reads like "05.03.2001"). A year
// of one or two digits, met in text edited by hand, is taken as 2000-2049
// below 50 and as 1950-1999 otherwise. parse() never throws; garbage gives
// nothing.

#include "core/DateTime.h"
#include "platform/LocaleFormats.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillon::core {

class DateTimeText {
public:
    explicit DateTimeText(const platform::DateTimeFormats& formats);

    std::string format(TDateTime value) const;
    std::optional<TDateTime> parse(std::string_view text) const;

    // The patterns in use, after the rewrites and fall-backs above.
    const std::string& datePattern() const { return m_datePattern; }
    const std::string& timePattern() const { return m_timePattern; }

private:
    enum class Field { Literal, Day, DayBlankPadded, Month, Year, Hour24, Hour12, Minute, Second, AmPm,
                       AmPmLower, Blank };
    struct Item {
        Field field = Field::Literal;
        std::string literal; // Field::Literal only
    };
    struct ParsedFields;

    static bool appendItems(std::string_view pattern, std::vector<Item>& items);
    static std::string patternText(const std::vector<Item>& items);
    bool isUsableDate(const std::vector<Item>& items) const;
    bool isUsableTime(const std::vector<Item>& items) const;
    void render(const std::vector<Item>& items, const DateTimeFields& fields, std::string& out) const;
    bool read(const std::vector<Item>& items, std::string_view text, std::size_t& pos,
              ParsedFields& fields) const;

    std::string m_amText;
    std::string m_pmText;
    std::vector<Item> m_dateItems;
    std::vector<Item> m_timeItems;
    std::string m_datePattern;
    std::string m_timePattern;
};

} // namespace quillon::core
