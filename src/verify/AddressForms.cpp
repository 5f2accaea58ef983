#include "verify/AddressForms.h"

#include <charconv>

namespace quillon::verify {

ConversionError::ConversionError(const std::string& text)
    : std::runtime_error("'" + text + "' is not a valid integer value")
{
}

std::string formatAddress(const platform::IPv4& a)
{
    std::string s;
    for (std::size_t i = 0; i < 4; ++i) {
        if (i > 0)
            s.push_back('.');
        s += std::to_string(a[i]);
    }
    return s;
}

namespace {

std::string_view trimSpaces(std::string_view s)
{
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    return s;
}

// A trimmed group as a number; anything but digits (a blank between digits)
// is the conversion error of its text.
int groupValue(std::string_view group)
{
    int value = 0;
    const auto [ptr, ec] = std::from_chars(group.data(), group.data() + group.size(), value);
    if (ec != std::errc() || ptr != group.data() + group.size() || group.front() == '-')
        throw ConversionError(std::string(group));
    return value;
}

} // namespace

std::string ParseAddressField(std::string_view fieldText, AddressForm form)
{
    std::string field(fieldText.substr(0, 12));
    field.resize(12, ' ');
    const std::string rawPrefix = field.substr(0, 9);
    std::string_view groups[4];
    for (std::size_t i = 0; i < 4; ++i) {
        groups[i] = trimSpaces(std::string_view(field).substr(i * 3, 3));
        if (groups[i].empty())
            return {};
    }
    int values[4];
    for (std::size_t i = 0; i < 4; ++i)
        values[i] = groupValue(groups[i]);
    for (const int v : values) {
        if (v >= 256)
            return {};
    }
    switch (form) {
    case AddressForm::Full:
        return std::to_string(values[0]) + "." + std::to_string(values[1]) + "." + std::to_string(values[2]) + "."
            + std::to_string(values[3]);
    case AddressForm::FirstThree:
        return std::to_string(values[0]) + "." + std::to_string(values[1]) + "." + std::to_string(values[2]);
    case AddressForm::LastOctet:
        return std::to_string(values[3]);
    case AddressForm::RawPrefix:
        return rawPrefix;
    }
    return {};
}

} // namespace quillon::verify
