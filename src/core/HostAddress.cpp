#include "core/HostAddress.h"

#include "core/HostName.h"
#include "core/IntegerText.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <optional>

namespace quillon::core {

namespace {

inline bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The four numbers of a dotted IPv4 text; strictZeros refuses "01" the way
// inet_pton does inside an IPv6 address.
std::optional<std::array<std::uint8_t, 4>> dottedIPv4(std::string_view text, bool strictZeros)
{
    std::array<std::uint8_t, 4> out {};
    std::size_t pos = 0;
    for (int part = 0; part < 4; ++part) {
        if (part > 0) {
            if (pos >= text.size() || text[pos] != '.')
                return std::nullopt;
            ++pos;
        }
        const std::size_t start = pos;
        int value = 0;
        while (pos < text.size() && isDigit(text[pos]) && pos - start < 3) {
            value = value * 10 + (text[pos] - '0');
            ++pos;
        }
        const std::size_t digits = pos - start;
        if (digits == 0 || value > 255 || (strictZeros && digits > 1 && text[start] == '0'))
            return std::nullopt;
        out[static_cast<std::size_t>(part)] = static_cast<std::uint8_t>(value);
    }
    if (pos != text.size())
        return std::nullopt;
    return out;
}

} // namespace

bool isDottedIPv4(std::string_view text)
{
    return dottedIPv4(text, false).has_value();
}

bool isIPv6Text(std::string_view text)
{
    // Counted in 16-bit groups: eight in all, or fewer where "::" stands for
    // the missing ones (at least one). A dotted IPv4 tail counts as two.
    if (text.size() < 2 || text.size() > 45)
        return false;
    std::size_t pos = 0;
    int groups = 0;
    bool compressed = false;
    if (text[0] == ':') {
        if (text[1] != ':')
            return false;
        compressed = true;
        pos = 2;
    }
    while (pos < text.size()) {
        const std::size_t start = pos;
        while (pos < text.size() && hexDigitValue(text[pos]) >= 0 && pos - start < 5)
            ++pos;
        const std::size_t digits = pos - start;
        if (pos < text.size() && text[pos] == '.') {
            // The last 32 bits in dotted form, as inet_pton reads them.
            if (!dottedIPv4(text.substr(start), true))
                return false;
            groups += 2;
            pos = text.size();
            break;
        }
        if (digits == 0 || digits > 4)
            return false;
        ++groups;
        if (pos == text.size())
            break;
        if (text[pos] != ':')
            return false;
        ++pos;
        if (pos < text.size() && text[pos] == ':') {
            if (compressed)
                return false;
            compressed = true;
            ++pos;
        } else if (pos == text.size()) {
            return false; // a single trailing ':'
        }
    }
    return compressed ? groups <= 7 : groups == 8;
}

bool isHostLineAddress(std::string_view text)
{
    return text == "0" || isDottedIPv4(text) || isIPv6Text(text);
}

bool isPinnedAddress(std::string_view text)
{
    if (text.empty() || text == "0")
        return false;
    if (const auto a = dottedIPv4(text, false)) {
        const int first = (*a)[0];
        // 0/8 "this network", 127/8 loopback, 224/4 multicast, 240/4
        // reserved with 255.255.255.255, the broadcast address.
        return first == 0 || first == 127 || first >= 224;
    }
    return isIPv6Text(text);
}

bool isLocalNetworkAddress(std::string_view text)
{
    const auto a = dottedIPv4(text, false);
    if (!a)
        return false;
    const int first = (*a)[0];
    const int second = (*a)[1];
    return first == 10 || first == 127 || (first == 172 && second >= 16 && second <= 31)
        || (first == 192 && second == 168) || (first == 100 && second >= 64 && second <= 127)
        || (first == 169 && second == 254);
}

bool isRefusedAnswer(std::string_view name, std::string_view address)
{
    const auto a = dottedIPv4(address, false);
    if (!a || isLocalhostFamilyName(name))
        return false;
    const int first = (*a)[0];
    return first == 0 || first == 127 || first >= 224;
}

bool isRefusedMove(std::string_view from, std::string_view to)
{
    return isDottedIPv4(from) && !isLocalNetworkAddress(from) && isLocalNetworkAddress(to);
}

bool isSetOnPurpose(const TRecHost& r, std::string_view ownName)
{
    if (isPinnedEntry(r) || (r.Date == 0 && isLocalNetworkAddress(r.IP)))
        return true;
    if (ownName.empty())
        return false;
    const auto same = [ownName](std::string_view name) {
        return name.size() == ownName.size()
            && std::equal(name.begin(), name.end(), ownName.begin(), [](char x, char y) {
                   return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
               });
    };
    if (same(r.HostName))
        return true;
    std::string_view rest = r.Alias;
    while (!rest.empty()) {
        const std::size_t blank = rest.find(' ');
        if (same(rest.substr(0, blank)))
            return true;
        rest = blank == std::string_view::npos ? std::string_view() : rest.substr(blank + 1);
    }
    return false;
}

bool isSystemScopeAddress(std::string_view text)
{
    if (const auto a = dottedIPv4(text, false))
        return (*a)[0] == 127 || *a == std::array<std::uint8_t, 4> {} || ((*a)[0] == 169 && (*a)[1] == 254);
    return isIPv6Text(text);
}

} // namespace quillon::core
