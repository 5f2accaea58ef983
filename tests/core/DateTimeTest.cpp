#include "core/DateTime.h"

#include <gtest/gtest.h>

using namespace quillon::core;

TEST(DateTime, encode_knownDays)
{
    EXPECT_EQ(encodeDate(1899, 12, 30), 0.0);
    EXPECT_EQ(encodeDate(1900, 1, 1), 2.0);
    EXPECT_EQ(encodeDate(2001, 3, 5), 36955.0);
    EXPECT_EQ(encodeDate(1899, 12, 29), -1.0);
    EXPECT_EQ(encodeDate(1, 1, 1), -693593.0);
    EXPECT_EQ(encodeDate(9999, 12, 31), 2958465.0);
}

TEST(DateTime, encode_invalidFieldsAreRefused)
{
    EXPECT_FALSE(encodeDate(0, 1, 1));
    EXPECT_FALSE(encodeDate(10000, 1, 1));
    EXPECT_FALSE(encodeDate(2001, 2, 29));
    EXPECT_TRUE(encodeDate(2000, 2, 29));
    EXPECT_FALSE(encodeDate(1900, 2, 29));
    EXPECT_FALSE(encodeDate(2001, 13, 1));
    EXPECT_FALSE(encodeDate(2001, 4, 31));
    EXPECT_FALSE(encodeTime(24, 0, 0));
    EXPECT_FALSE(encodeTime(0, 60, 0));
    EXPECT_FALSE(encodeTime(0, 0, 60));
    EXPECT_FALSE(encodeTime(-1, 0, 0));
}

TEST(DateTime, roundTrip_fieldsSurviveEncodeAndDecode)
{
    const DateTimeFields cases[] = {
        { 2001, 3, 5, 14, 7, 9, 0 },  { 1899, 12, 30, 0, 0, 0, 0 }, { 1899, 12, 29, 6, 0, 0, 0 },
        { 1600, 2, 29, 23, 59, 59, 999 }, { 2024, 12, 31, 12, 0, 1, 500 }, { 9999, 12, 31, 23, 59, 59, 0 },
        { 1, 1, 1, 0, 0, 1, 0 },
    };
    for (const auto& f : cases) {
        const auto v = encodeDateTime(f);
        ASSERT_TRUE(v);
        EXPECT_EQ(decodeDateTime(*v), f) << f.year << "-" << f.month << "-" << f.day;
    }
}

TEST(DateTime, beforeEpoch_timeCountsAwayFromZero)
{
    EXPECT_DOUBLE_EQ(*encodeDateTime({ 1899, 12, 29, 6, 0, 0, 0 }), -1.25);
    const auto f = decodeDateTime(-1.25);
    EXPECT_EQ(f.day, 29);
    EXPECT_EQ(f.hour, 6);
}

TEST(DateTime, decode_roundingAtMidnightCarriesIntoNextDay)
{
    const double almost = *encodeDate(2001, 3, 5) + 0.9999999999;
    const auto f = decodeDateTime(almost);
    EXPECT_EQ(f, (DateTimeFields { 2001, 3, 6, 0, 0, 0, 0 }));
}

TEST(DateTime, decode_garbageValuesAreClamped)
{
    EXPECT_EQ(decodeDateTime(1e300).year, 9999);
    EXPECT_EQ(decodeDateTime(-1e300).year, 1);
    EXPECT_EQ(decodeDateTime(std::numeric_limits<double>::quiet_NaN()), DateTimeFields {});
}
