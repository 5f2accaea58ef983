#pragma once
// IPv4 addresses as the program writes and reads them: the dotted text of a
// record and the octet fields of the address verification tool. (The key
// that sorts addresses by number, AddressSortKey, is in core/HostSort.h.)

#include "platform/Resolver.h"

#include <stdexcept>
#include <string>
#include <string_view>

namespace quillon::verify {

// A text that should have been a whole number and is not; its message is the
// one the person sees: "'TEXT' is not a valid integer value".
class ConversionError : public std::runtime_error {
public:
    explicit ConversionError(const std::string& text);
};

// Four decimal numbers joined by "." (10.0.0.1).
std::string formatAddress(const platform::IPv4& address);

enum class AddressForm { Full, FirstThree, LastOctet, RawPrefix };

// An address field's text (twelve digit positions, three per octet, a blank
// position a space, trailing blanks possibly missing) in the wanted form, or
// empty when a group is empty or 256 or more. A group with a blank between
// two digits throws ConversionError.
std::string ParseAddressField(std::string_view fieldText, AddressForm form);

} // namespace quillon::verify
