// The date-time text of the settings file, with the locale's patterns taken
// from the input too. Input: one byte choosing the locale's AM/PM texts,
// then the date pattern, the time pattern and the text, separated by NUL
// bytes (missing parts keep the C locale's patterns and an empty text).
//
// Checked: the patterns in use are their own fixed point; whenever parse()
// gives a value, format() of it parses back to the same value and is
// written again the same; any value in the years the format holds survives
// format() and parse() to the second; format() and parse() never throw.

#include "FuzzSupport.h"

#include "core/DateTime.h"
#include "core/DateTimeText.h"

#include <cmath>
#include <iterator>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

using namespace quillon;
using namespace quillon::core;
using fuzz::shown;

namespace {

// AM/PM texts of real locales (glibc's am_pm), the last pair for locales
// without a 12-hour clock.
const std::pair<const char*, const char*> AmPmTexts[] = {
    { "AM", "PM" },           { "am", "pm" },       { "a.m.", "p.m." },         { "vorm.", "nachm." },
    { "\xe5\x8d\x88\xe5\x89\x8d", "\xe5\x8d\x88\xe5\xbe\x8c" }, // ja_JP
    { "\xe4\xb8\x8a\xe5\x8d\x88", "\xe4\xb8\x8b\xe5\x8d\x88" }, // zh_CN
    { "\xd8\xb5", "\xd9\x85" },                                  // ar
    { "", "" },
};

constexpr std::size_t MaxPatternLength = 100;

std::string describe(const DateTimeText& t)
{
    return "date pattern " + shown(t.datePattern()) + ", time pattern " + shown(t.timePattern());
}

// Fields of a value with the milliseconds dropped, as the text keeps it.
DateTimeFields toTheSecond(TDateTime v)
{
    DateTimeFields f = decodeDateTime(v);
    f.millisecond = 0;
    return f;
}

void checkRoundTrip(const DateTimeText& t, TDateTime value, bool oneLine)
{
    const std::string text = t.format(value);
    const auto back = t.parse(text);
    FUZZ_CHECK(back.has_value(), shown(text) + " of " + std::to_string(value) + " does not parse; " + describe(t));
    FUZZ_CHECK(decodeDateTime(*back) == toTheSecond(value),
               shown(text) + " parses to another value; " + describe(t));
    // Written again the same, unless the value had milliseconds (at
    // midnight those bring a time "00:00:00" that the whole second lacks).
    if (decodeDateTime(value).millisecond == 0)
        FUZZ_CHECK(t.format(*back) == text, shown(text) + " is written again differently; " + describe(t));
    if (oneLine)
        FUZZ_CHECK(text.find_first_of("\r\n") == std::string::npos, shown(text) + "; " + describe(t));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const auto& ampm = AmPmTexts[data[0] % std::size(AmPmTexts)];
    const std::vector<std::string_view> parts = fuzz::splitParts(fuzz::asText(data + 1, size - 1), '\0', 3);
    platform::DateTimeFormats formats;
    formats.amText = ampm.first;
    formats.pmText = ampm.second;
    // Locale patterns are a few characters long, and parse() refuses text
    // of more than 256 characters; longer patterns could only write text
    // that no reader takes.
    if (parts.size() > 1 && (parts[0].size() > MaxPatternLength || parts[1].size() > MaxPatternLength))
        return 0;
    if (parts.size() > 1) {
        formats.shortDate = std::string(parts[0]);
        formats.longTime = std::string(parts[1]);
    }
    const std::string_view text = parts.size() > 2 ? parts[2] : parts.size() == 1 ? parts[0] : std::string_view();

    const DateTimeText t(formats);
    // The patterns in use are kept as they are when taken in again.
    platform::DateTimeFormats used = formats;
    used.shortDate = t.datePattern();
    used.longTime = t.timePattern();
    const DateTimeText again(used);
    FUZZ_CHECK(again.datePattern() == t.datePattern() && again.timePattern() == t.timePattern(),
               describe(t) + " taken in again gives " + describe(again));
    // A literal line break in the locale's own pattern is the one way text
    // could span lines; %n and %t never do.
    const bool oneLine = t.datePattern().find_first_of("\r\n") == std::string::npos
        && t.timePattern().find_first_of("\r\n") == std::string::npos;

    if (const auto v = t.parse(text)) {
        const DateTimeFields f = decodeDateTime(*v);
        FUZZ_CHECK(f.millisecond == 0, "milliseconds from " + shown(text));
        FUZZ_CHECK(encodeDateTime(f) == *v, shown(text) + " gives a value off the second");
        checkRoundTrip(t, *v, oneLine);
    }

    // Values from the text's bytes: any value in years 1 to 9999, and any
    // finite value at all for format() alone.
    if (text.size() >= sizeof(double)) {
        double v = 0;
        std::memcpy(&v, text.data(), sizeof v);
        if (std::isfinite(v)) {
            const std::string formatted = t.format(v);
            FUZZ_CHECK(!formatted.empty(), "nothing written for " + std::to_string(v));
            if (std::fabs(v) < 2'958'465.0)
                checkRoundTrip(t, v, oneLine);
        }
    }
    if (text.size() >= 4) {
        std::uint32_t n = 0;
        std::memcpy(&n, text.data() + text.size() - 4, 4);
        const DateTimeFields f { 1 + static_cast<int>(n % 9999), 1 + static_cast<int>(n >> 14) % 12,
                                 1 + static_cast<int>(n >> 18) % 28, static_cast<int>(n >> 23) % 24,
                                 static_cast<int>(n >> 5) % 60, static_cast<int>(n >> 11) % 60, 0 };
        checkRoundTrip(t, encodeDateTime(f).value(), oneLine);
    }
    return 0;
}
