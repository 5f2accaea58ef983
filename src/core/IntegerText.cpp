#include "core/IntegerText.h"

#include <cstdint>
#include <limits>

namespace quillon::core {

namespace {

constexpr std::int64_t IntMax = std::numeric_limits<int>::max();
constexpr std::int64_t IntMin = std::numeric_limits<int>::min();

int digitValue(char c, int base)
{
    int value = -1;
    if (c >= '0' && c <= '9')
        value = c - '0';
    else if (c >= 'a' && c <= 'f')
        value = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        value = c - 'A' + 10;
    return value < base ? value : -1;
}

// Unsigned digits of the given base; nothing when empty, not all digits, or
// above limit. The running value is checked at each digit, so any number of
// leading zeros is fine and no length overflows.
std::optional<std::int64_t> parseDigits(std::string_view digits, int base, std::int64_t limit)
{
    if (digits.empty())
        return std::nullopt;
    std::int64_t value = 0;
    for (const char c : digits) {
        const int d = digitValue(c, base);
        if (d < 0)
            return std::nullopt;
        value = value * base + d;
        if (value > limit)
            return std::nullopt;
    }
    return value;
}

} // namespace

std::optional<int> parseDecimalInteger(std::string_view text)
{
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    const auto value = parseDigits(text, 10, negative ? -IntMin : IntMax);
    if (!value)
        return std::nullopt;
    return static_cast<int>(negative ? -*value : *value);
}

std::optional<int> parseProfileInteger(std::string_view text)
{
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        const auto value = parseDigits(text.substr(2), 16, IntMax);
        if (!value)
            return std::nullopt;
        return static_cast<int>(*value);
    }
    return parseDecimalInteger(text);
}

} // namespace quillon::core
