#pragma once
// Host-name text rules shared by the lists and every source of names.

#include <cstdint>
#include <string>
#include <string_view>

namespace quillon::core {

// ASCII lower case, the folding used whenever names are compared without
// regard to letter case.
std::string toLowerAscii(std::string_view text);
bool equalsIgnoreCase(std::string_view a, std::string_view b);
// A hash that agrees with equalsIgnoreCase.
std::uint64_t hashIgnoreCase(std::string_view text);

// True when a name from outside could not stand as one host name on a hosts
// file line: it holds a blank, a control character or "#". Such a name is
// treated as no name at all, so it can never add lines or names of its own to
// the system hosts file.
bool isUnsafeHostName(std::string_view name);

} // namespace quillon::core
