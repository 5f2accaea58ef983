#pragma once
// Integers as the settings file and the number fields hold them. Both
// readers take the whole text or nothing: no blanks, no trailing characters,
// and nothing for a value outside the range of int (32 bits).

#include <optional>
#include <string_view>

namespace quillon::core {

// Decimal digits with an optional leading '-' or '+'.
std::optional<int> parseDecimalInteger(std::string_view text);

// A settings-file integer: hexadecimal when the text is longer than two
// characters and begins with "0x" or "0X" (digits only, no sign; 0x80000000
// and above are out of range), decimal otherwise.
std::optional<int> parseProfileInteger(std::string_view text);

// The value of a hexadecimal digit (either letter case); -1 for any other
// character.
inline int hexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace quillon::core
