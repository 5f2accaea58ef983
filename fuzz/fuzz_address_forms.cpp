// Address texts: the octet fields of the address verification tool
// (ParseAddressField), the sort key of the address column, and the
// host-line address checks (dotted IPv4, IPv6, the "0" placeholder, pinned
// entries). The input is tried whole and line by line.
//
// Checked: ParseAddressField throws ConversionError or gives nothing or the
// wanted form of the four groups it read; the sort key has exactly twelve
// characters and, for a dotted address, its numbers zero-padded; isIPv6Text
// agrees with inet_pton(AF_INET6), isDottedIPv4 with a strict four-part
// 0-255 check and with inet_pton(AF_INET) wherever no part has a leading
// zero (inet_pton refuses those); every formatted address reads back.

#include "FuzzSupport.h"

#include "core/HostAddress.h"
#include "core/HostSort.h"
#include "core/ListFile.h"
#include "verify/AddressForms.h"

#include <arpa/inet.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

using namespace quillon;
using namespace quillon::core;
using namespace quillon::verify;
using fuzz::shown;

namespace {

constexpr AddressForm Forms[] = { AddressForm::Full, AddressForm::FirstThree, AddressForm::LastOctet,
                                  AddressForm::RawPrefix };

// Four parts of one to three decimal digits, each 0 to 255, joined by ".";
// leadingZero tells whether some part has one.
std::optional<std::array<int, 4>> strictDotted(std::string_view t, bool& leadingZero)
{
    std::array<int, 4> parts {};
    leadingZero = false;
    std::size_t pos = 0;
    for (int i = 0; i < 4; ++i) {
        if (i > 0) {
            if (pos >= t.size() || t[pos] != '.')
                return std::nullopt;
            ++pos;
        }
        const std::size_t start = pos;
        int v = 0;
        while (pos < t.size() && t[pos] >= '0' && t[pos] <= '9') {
            v = v * 10 + (t[pos] - '0');
            ++pos;
            if (pos - start > 3)
                return std::nullopt;
        }
        if (pos == start || v > 255)
            return std::nullopt;
        if (pos - start > 1 && t[start] == '0')
            leadingZero = true;
        parts[static_cast<std::size_t>(i)] = v;
    }
    if (pos != t.size())
        return std::nullopt;
    return parts;
}

bool ptonAccepts(int family, std::string_view t)
{
    if (t.find('\0') != std::string_view::npos)
        return false;
    const std::string s(t);
    unsigned char buffer[16];
    return inet_pton(family, s.c_str(), buffer) == 1;
}

std::string padded(int v)
{
    char b[8];
    std::snprintf(b, sizeof b, "%03d", v);
    return b;
}

void checkHostLineAddress(std::string_view t)
{
    bool leadingZero = false;
    const auto dotted = strictDotted(t, leadingZero);
    FUZZ_CHECK(isDottedIPv4(t) == dotted.has_value(), shown(t));
    const bool pton4 = ptonAccepts(AF_INET, t);
    if (pton4)
        FUZZ_CHECK(dotted.has_value() && !leadingZero, "inet_pton reads " + shown(t));
    if (dotted && !leadingZero)
        FUZZ_CHECK(pton4, "inet_pton refuses " + shown(t));
    FUZZ_CHECK(isIPv6Text(t) == ptonAccepts(AF_INET6, t),
               shown(t) + (isIPv6Text(t) ? " taken for IPv6" : " refused as IPv6"));
    FUZZ_CHECK(isHostLineAddress(t) == (t == "0" || dotted.has_value() || isIPv6Text(t)), shown(t));
    const bool pinned = dotted ? ((*dotted)[0] == 0 || (*dotted)[0] == 127 || (*dotted)[0] >= 224) : isIPv6Text(t);
    FUZZ_CHECK(isPinnedAddress(t) == pinned, shown(t));

    const std::string key = AddressSortKey(t);
    FUZZ_CHECK(key.size() == 12, shown(t) + " keys as " + shown(key));
    if (dotted) {
        const std::string expected = padded((*dotted)[0]) + padded((*dotted)[1]) + padded((*dotted)[2])
            + padded((*dotted)[3]);
        FUZZ_CHECK(key == expected, shown(t) + " keys as " + shown(key));
    }
}

// The twelve-position field: four groups of three positions.
void checkAddressField(std::string_view text)
{
    std::string field(text.substr(0, 12));
    field.resize(12, ' ');
    bool anyEmpty = false;
    bool anyNonDigit = false;
    bool anyLarge = false;
    int values[4] = {};
    for (std::size_t i = 0; i < 4; ++i) {
        std::string_view g = std::string_view(field).substr(i * 3, 3);
        while (!g.empty() && g.front() == ' ')
            g.remove_prefix(1);
        while (!g.empty() && g.back() == ' ')
            g.remove_suffix(1);
        anyEmpty = anyEmpty || g.empty();
        for (const char c : g) {
            if (c < '0' || c > '9')
                anyNonDigit = true;
            else
                values[i] = values[i] * 10 + (c - '0');
        }
        anyLarge = anyLarge || values[i] > 255;
    }

    std::string results[4];
    for (std::size_t f = 0; f < 4; ++f) {
        bool threw = false;
        try {
            results[f] = ParseAddressField(text, Forms[f]);
        } catch (const ConversionError& e) {
            threw = true;
            const std::string message = e.what();
            // what() ends at a NUL byte of the text.
            FUZZ_CHECK(message.front() == '\'', shown(message));
            if (field.find('\0') == std::string::npos)
                FUZZ_CHECK(message.ends_with("' is not a valid integer value"), shown(message));
        }
        if (threw) {
            FUZZ_CHECK(anyNonDigit, shown(text) + " threw with only digits");
            continue;
        }
        if (results[f].empty()) {
            FUZZ_CHECK(anyEmpty || anyLarge, shown(text) + " gave nothing");
            continue;
        }
        FUZZ_CHECK(!anyEmpty && !anyNonDigit && !anyLarge, shown(text) + " gave " + shown(results[f]));
        std::string expected;
        switch (Forms[f]) {
        case AddressForm::Full:
            expected = std::to_string(values[0]) + "." + std::to_string(values[1]) + "." + std::to_string(values[2])
                + "." + std::to_string(values[3]);
            FUZZ_CHECK(ptonAccepts(AF_INET, results[f]), shown(results[f]));
            break;
        case AddressForm::FirstThree:
            expected = std::to_string(values[0]) + "." + std::to_string(values[1]) + "." + std::to_string(values[2]);
            break;
        case AddressForm::LastOctet:
            expected = std::to_string(values[3]);
            break;
        case AddressForm::RawPrefix:
            expected = field.substr(0, 9);
            break;
        }
        FUZZ_CHECK(results[f] == expected, shown(text) + " gave " + shown(results[f]) + ", expected " + shown(expected));
    }
}

// An address written by the program reads back through every form.
void checkFormatted(const platform::IPv4& a)
{
    const std::string dotted = formatAddress(a);
    FUZZ_CHECK(isDottedIPv4(dotted) && ptonAccepts(AF_INET, dotted), shown(dotted));
    char field[16];
    std::snprintf(field, sizeof field, "%3d%3d%3d%3d", a[0], a[1], a[2], a[3]);
    FUZZ_CHECK(ParseAddressField(field, AddressForm::Full) == dotted, shown(field));
    std::snprintf(field, sizeof field, "%03d%03d%03d%03d", a[0], a[1], a[2], a[3]);
    FUZZ_CHECK(ParseAddressField(field, AddressForm::Full) == dotted, shown(field));
    FUZZ_CHECK(AddressSortKey(dotted) == field, shown(dotted));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text = fuzz::asText(data, size);
    checkHostLineAddress(text);
    checkAddressField(text);
    if (size >= 4)
        checkFormatted({ data[0], data[1], data[2], data[3] });
    core::forEachLine(text, [](std::string_view line) {
        if (line.size() == 0 || line.size() > 64)
            return;
        checkHostLineAddress(line);
        checkAddressField(line);
    });
    return 0;
}
