#include "core/HostName.h"

#include <cstring>

namespace quillon::core {

namespace {
inline unsigned char lowerAscii(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}
} // namespace

std::string toLowerAscii(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(lowerAscii(static_cast<unsigned char>(c)));
    return out;
}

bool equalsIgnoreCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lowerAscii(static_cast<unsigned char>(a[i])) != lowerAscii(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

namespace {

// Eight bytes with their ASCII capitals turned to small letters at once:
// a byte gets 0x20 added when it lies in 'A'..'Z'.
inline std::uint64_t lowerAscii8(std::uint64_t x)
{
    constexpr std::uint64_t ones = 0x0101010101010101ULL;
    constexpr std::uint64_t high = 0x8080808080808080ULL;
    const std::uint64_t seven = x & ~high;
    const std::uint64_t atLeastA = seven + (0x80 - 'A') * ones;
    const std::uint64_t aboveZ = seven + (0x80 - 'Z' - 1) * ones;
    const std::uint64_t upper = atLeastA & ~aboveZ & ~x & high;
    return x | (upper >> 2);
}

inline std::uint64_t mix(std::uint64_t h, std::uint64_t word)
{
    h ^= word;
    h *= 0x9E3779B97F4A7C15ULL;
    return h ^ (h >> 29);
}

} // namespace

std::uint64_t hashIgnoreCase(std::string_view text)
{
    // Folded eight bytes at a time; the length goes in first so that names
    // that differ only by trailing zero bytes hash apart.
    std::uint64_t h = mix(0x243F6A8885A308D3ULL, text.size());
    const char* p = text.data();
    std::size_t n = text.size();
    for (; n >= 8; p += 8, n -= 8) {
        std::uint64_t word;
        std::memcpy(&word, p, 8);
        h = mix(h, lowerAscii8(word));
    }
    if (n > 0) {
        std::uint64_t word = 0;
        std::memcpy(&word, p, n);
        h = mix(h, lowerAscii8(word));
    }
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdULL;
    h ^= h >> 33;
    return h;
}

bool isUnsafeHostName(std::string_view name)
{
    // Eight bytes at a time: does any byte lie below 0x21, or equal 0x7f or
    // '#'? (The classic "has zero byte" test answers "any" exactly.)
    constexpr std::uint64_t ones = 0x0101010101010101ULL;
    constexpr std::uint64_t high = 0x8080808080808080ULL;
    auto hasZero = [](std::uint64_t v) { return ((v - ones) & ~v & high) != 0; };
    auto unsafeWord = [&](std::uint64_t x) {
        const bool below = ((x - 0x21 * ones) & ~x & high) != 0;
        return below || hasZero(x ^ (0x7f * ones)) || hasZero(x ^ ('#' * ones));
    };
    const char* p = name.data();
    std::size_t n = name.size();
    for (; n >= 8; p += 8, n -= 8) {
        std::uint64_t word;
        std::memcpy(&word, p, 8);
        if (unsafeWord(word))
            return true;
    }
    if (n > 0) {
        std::uint64_t word = 'a' * ones; // padding that is safe
        std::memcpy(&word, p, n);
        return unsafeWord(word);
    }
    return false;
}

bool isUnsafeAlias(std::string_view alias)
{
    for (const char ch : alias) {
        const auto c = static_cast<unsigned char>(ch);
        if ((c < 0x20) || c == 0x7f || c == '#')
            return true;
    }
    return false;
}

} // namespace quillon::core
