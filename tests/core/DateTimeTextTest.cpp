#include "core/DateTimeText.h"

#include <gtest/gtest.h>

#include <string>

using namespace quillon::core;
using quillon::platform::DateTimeFormats;

namespace {

const DateTimeFormats CFormats { "%m/%d/%y", "%H:%M:%S", "AM", "PM" };
const DateTimeFormats GermanFormats { "%d.%m.%Y", "%H:%M:%S", "", "" };
const DateTimeFormats Us12Formats { "%m/%d/%y", "%I:%M:%S %p", "AM", "PM" };
const DateTimeFormats JapaneseFormats { "%Y年%m月%d日", "%p%I時%M分%S秒", "午前", "午後" };
const DateTimeFormats BlankPaddedFormats { "%e/%m/%Y", "%T", "AM", "PM" };
const DateTimeFormats TabFormats { "%d.%n%m.%Y", "%H:%M:%S", "", "" };

TDateTime at(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0)
{
    return encodeDateTime({ y, mo, d, h, mi, s, ms }).value();
}

struct TextCase {
    const char* name;
    DateTimeFormats formats;
    TDateTime value;
    std::string text;
};

void PrintTo(const TextCase& c, std::ostream* os) { *os << c.name; }

class DateTimeTextRoundTrip : public testing::TestWithParam<TextCase> {};

TEST_P(DateTimeTextRoundTrip, formatWritesText_parseReadsItBack)
{
    const auto& c = GetParam();
    const DateTimeText dt(c.formats);
    EXPECT_EQ(dt.format(c.value), c.text);
    const auto parsed = dt.parse(c.text);
    ASSERT_TRUE(parsed);
    EXPECT_DOUBLE_EQ(*parsed, c.value);
}

INSTANTIATE_TEST_SUITE_P(
    Patterns, DateTimeTextRoundTrip,
    testing::Values(
        TextCase { "C_zeroIsDateAlone", CFormats, 0, "12/30/1899" },
        TextCase { "C_dateAndTime", CFormats, at(2001, 3, 5, 14, 7, 9), "03/05/2001 14:07:09" },
        TextCase { "C_beforeEpoch", CFormats, at(1899, 12, 29, 6), "12/29/1899 06:00:00" },
        TextCase { "C_lastSecond", CFormats, at(9999, 12, 31, 23, 59, 59), "12/31/9999 23:59:59" },
        TextCase { "German_midnight", GermanFormats, at(2001, 3, 5), "05.03.2001" },
        TextCase { "German_leapDay", GermanFormats, at(2024, 2, 29, 23, 59, 59), "29.02.2024 23:59:59" },
        TextCase { "Us12_afterMidnightIs12AM", Us12Formats, at(2001, 3, 5, 0, 30, 5), "03/05/2001 12:30:05 AM" },
        TextCase { "Us12_noonIs12PM", Us12Formats, at(2001, 3, 5, 12), "03/05/2001 12:00:00 PM" },
        TextCase { "Us12_afternoon", Us12Formats, at(2001, 3, 5, 13, 7, 9), "03/05/2001 01:07:09 PM" },
        TextCase { "Japanese_markerFirst", JapaneseFormats, at(2001, 3, 5, 15, 4, 5),
                   "2001年03月05日 午後03時04分05秒" },
        TextCase { "BlankPadded_day", BlankPaddedFormats, at(2001, 3, 5, 10), " 5/03/2001 10:00:00" },
        TextCase { "Tab_writtenAsSpace", TabFormats, at(2001, 3, 5), "05. 03.2001" }),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DateTimeText, format_dropsMilliseconds)
{
    const DateTimeText dt(CFormats);
    EXPECT_EQ(dt.format(at(2001, 3, 5, 14, 7, 9, 999)), "03/05/2001 14:07:09");
    // Not exactly midnight, so the time is written even though it shows zeros.
    EXPECT_EQ(dt.format(at(2001, 3, 5, 0, 0, 0, 400)), "03/05/2001 00:00:00");
}

TEST(DateTimeText, localeFormats_cLocaleGivesUsDateWithFourDigitYear)
{
    const DateTimeText dt(quillon::platform::localeDateTimeFormats());
    EXPECT_EQ(dt.format(at(2001, 3, 5, 14, 7, 9)), "03/05/2001 14:07:09");
}

struct PatternCase {
    const char* name;
    DateTimeFormats formats;
    const char* datePattern;
    const char* timePattern;
};

void PrintTo(const PatternCase& c, std::ostream* os) { *os << c.name; }

class DateTimeTextPatterns : public testing::TestWithParam<PatternCase> {};

TEST_P(DateTimeTextPatterns, patternsAreRewrittenOrReplaced)
{
    const auto& c = GetParam();
    const DateTimeText dt(c.formats);
    EXPECT_EQ(dt.datePattern(), c.datePattern);
    EXPECT_EQ(dt.timePattern(), c.timePattern);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, DateTimeTextPatterns,
    testing::Values(
        PatternCase { "twoDigitYearBecomesFour", CFormats, "%m/%d/%Y", "%H:%M:%S" },
        PatternCase { "compositesExpand_D_T", { "%D", "%T", "AM", "PM" }, "%m/%d/%Y", "%H:%M:%S" },
        PatternCase { "compositesExpand_F_r", { "%F", "%r", "AM", "PM" }, "%Y-%m-%d", "%I:%M:%S %p" },
        PatternCase { "monthNames_timeWithoutSeconds", { "%d %b %Y", "%R", "AM", "PM" }, "%Y-%m-%d",
                      "%H:%M:%S" },
        PatternCase { "modifiers", { "%Ey", "%OH:%M:%S", "AM", "PM" }, "%Y-%m-%d", "%H:%M:%S" },
        PatternCase { "glibcFlag_trailingPercent", { "%-d.%m.%Y", "%H:%M:%S%", "AM", "PM" }, "%Y-%m-%d",
                      "%H:%M:%S" },
        PatternCase { "fieldsOfTheOtherPart", { "%d.%m.%Y %H", "%d %H:%M:%S", "AM", "PM" }, "%Y-%m-%d",
                      "%H:%M:%S" },
        PatternCase { "missingOrRepeatedFields", { "%d.%m", "%H:%M:%S:%S", "AM", "PM" }, "%Y-%m-%d", "%H:%M:%S" },
        PatternCase { "twelveHourWithoutMarker", { "%m/%d/%Y", "%I:%M:%S", "AM", "PM" }, "%m/%d/%Y",
                      "%H:%M:%S" },
        PatternCase { "markersMissingOrAlike", { "%m/%d/%Y", "%r", "am", "AM" }, "%m/%d/%Y", "%H:%M:%S" },
        PatternCase { "empty", { "", "%H:%M:%S %p", "AM", "PM" }, "%Y-%m-%d", "%H:%M:%S" },
        PatternCase { "blankPaddedDayRunningOn", { "%e1%m/%Y", "%T", "AM", "PM" }, "%Y-%m-%d", "%H:%M:%S" },
        PatternCase { "blankPaddedDayThenMonth", { "%e%m%Y", "%T", "AM", "PM" }, "%Y-%m-%d", "%H:%M:%S" }),
    [](const auto& info) { return std::string(info.param.name); });

struct ParseCase {
    const char* name;
    DateTimeFormats formats;
    std::string text;
    std::optional<TDateTime> expected;
};

void PrintTo(const ParseCase& c, std::ostream* os) { *os << c.name; }

class DateTimeTextParse : public testing::TestWithParam<ParseCase> {};

TEST_P(DateTimeTextParse, readsHandEditsAndRefusesGarbage)
{
    const auto& c = GetParam();
    const auto parsed = DateTimeText(c.formats).parse(c.text);
    ASSERT_EQ(parsed.has_value(), c.expected.has_value()) << c.text;
    if (parsed) {
        EXPECT_DOUBLE_EQ(*parsed, *c.expected);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, DateTimeTextParse,
    testing::Values(
        ParseCase { "shortNumbers", GermanFormats, "5.3.2001 1:2:3", at(2001, 3, 5, 1, 2, 3) },
        ParseCase { "twoDigitYear_below50", GermanFormats, "05.03.49", at(2049, 3, 5) },
        ParseCase { "twoDigitYear_50AndAbove", GermanFormats, "05.03.50", at(1950, 3, 5) },
        ParseCase { "explicitMidnight", CFormats, "03/05/2001 00:00:00", at(2001, 3, 5) },
        ParseCase { "markerIgnoresCase_pm", Us12Formats, "03/05/2001 01:02:03 pm", at(2001, 3, 5, 13, 2, 3) },
        ParseCase { "markerIgnoresCase_am", Us12Formats, "03/05/2001 12:00:01 aM", at(2001, 3, 5, 0, 0, 1) },
        ParseCase { "tabForBlank", TabFormats, "05.\t03.2001", at(2001, 3, 5) },
        ParseCase { "empty", CFormats, "", std::nullopt },
        ParseCase { "trailingSpace", CFormats, "03/05/2001 ", std::nullopt },
        ParseCase { "twoSpaces", CFormats, "03/05/2001  14:07:09", std::nullopt },
        ParseCase { "timeWithoutSeconds", CFormats, "03/05/2001 14:07", std::nullopt },
        ParseCase { "noSuchDay", CFormats, "02/30/2001", std::nullopt },
        ParseCase { "hour24", CFormats, "03/05/2001 24:00:00", std::nullopt },
        ParseCase { "leapSecond", CFormats, "03/05/2001 23:59:60", std::nullopt },
        ParseCase { "fiveDigitYear", CFormats, "03/05/20011", std::nullopt },
        ParseCase { "nulByte", CFormats, std::string("03/05/2001\0 14:07:09", 19), std::nullopt },
        ParseCase { "hugeText", CFormats, "03/05/2001 " + std::string(10'000'000, '1'), std::nullopt },
        ParseCase { "twelveHour_13", Us12Formats, "03/05/2001 13:00:00 PM", std::nullopt },
        ParseCase { "twelveHour_noMarker", Us12Formats, "03/05/2001 10:00:00", std::nullopt },
        ParseCase { "twelveHour_otherMarker", Us12Formats, "03/05/2001 10:00:00 XM", std::nullopt }),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
