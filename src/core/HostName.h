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
// True when an alias (names separated by spaces) holds a control character,
// a line break or "#": written after the host name it would add lines or a
// comment of its own to the system hosts file.
bool isUnsafeAlias(std::string_view alias);

} // namespace quillon::core
