#include "core/HostName.h"

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

std::uint64_t hashIgnoreCase(std::string_view text)
{
    // FNV-1a over the folded bytes, then a final mix so that the low bits,
    // which pick the slot, depend on every byte.
    std::uint64_t h = 1469598103934665603ULL;
    for (const char c : text) {
        h ^= lowerAscii(static_cast<unsigned char>(c));
        h *= 1099511628211ULL;
    }
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdULL;
    h ^= h >> 33;
    return h;
}

bool isUnsafeHostName(std::string_view name)
{
    for (const char ch : name) {
        const auto c = static_cast<unsigned char>(ch);
        if (c <= ' ' || c == 0x7f || c == '#')
            return true;
    }
    return false;
}

} // namespace quillon::core
