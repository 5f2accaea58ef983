#include "core/HostName.h"

#include <algorithm>
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

namespace {

// The length of the invisible or direction-changing character that text
// starts with (three bytes of UTF-8), or 0.
std::size_t invisibleCharacterAt(std::string_view text)
{
    if (text.size() < 3 || static_cast<unsigned char>(text[0]) != 0xE2)
        return 0;
    const auto b1 = static_cast<unsigned char>(text[1]);
    const auto b2 = static_cast<unsigned char>(text[2]);
    if (b1 == 0x80 && ((b2 >= 0x8B && b2 <= 0x8F) || b2 == 0xA8 || (b2 >= 0xAA && b2 <= 0xAE)))
        return 3; // U+200B..U+200F, U+2028, U+202A..U+202E
    if (b1 == 0x81 && b2 >= 0xA6 && b2 <= 0xA9)
        return 3; // U+2066..U+2069
    return 0;
}

bool isNameCharacter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_'
        || c == '.';
}

} // namespace

bool isAdmissibleHostName(std::string_view name)
{
    return !name.empty() && std::all_of(name.begin(), name.end(), isNameCharacter);
}

std::string hostNameRefusal(std::string_view name)
{
    if (name.empty() || isAdmissibleHostName(name))
        return {};
    const std::string shown = "\"" + escapeInvisibleCharacters(name) + "\"";
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (invisibleCharacterAt(name.substr(i)) != 0)
            return "The host name " + shown + " was refused: it holds an invisible or direction-changing character.";
    }
    return "The host name " + shown
        + " was refused: a host name holds only ASCII letters, digits, \"-\", \"_\" and \".\".";
}

std::string escapeInvisibleCharacters(std::string_view text)
{
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        if (const std::size_t n = invisibleCharacterAt(text.substr(i))) {
            const unsigned code = ((static_cast<unsigned char>(text[i]) & 0x0Fu) << 12)
                | ((static_cast<unsigned char>(text[i + 1]) & 0x3Fu) << 6) | (static_cast<unsigned char>(text[i + 2]) & 0x3Fu);
            out += "\\u";
            for (int shift = 12; shift >= 0; shift -= 4)
                out += hex[(code >> shift) & 0xFu];
            i += n;
        } else {
            out += text[i++];
        }
    }
    return out;
}

bool isLocalhostFamilyName(std::string_view name)
{
    const std::string lower = toLowerAscii(name);
    const std::string_view n = lower;
    return n == "localhost" || n == "localhost." || n == "localhost.localdomain" || n == "localhost4"
        || n == "localhost6" || n.ends_with(".localhost") || n.ends_with(".localhost.") || n.starts_with("ip6-");
}

} // namespace quillon::core
