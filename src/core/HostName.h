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

// A name the program admits from outside (capture, imports, Add Host, the
// hosts helper): ASCII letters, digits, "-", "_" and "." only, so that no
// invisible, look-alike or direction-changing character ever reaches the
// hosts file.
bool isAdmissibleHostName(std::string_view name);
// Why name is not admissible, in one sentence naming it (its invisible and
// direction-changing characters escaped); empty when it is, and for the
// empty name (nothing to name).
std::string hostNameRefusal(std::string_view name);
// The text with every invisible or direction-changing character (U+200B to
// U+200F, U+202A to U+202E, U+2028, U+2066 to U+2069, as UTF-8) written as
// "\u202E", so that a view shows what the text holds rather than what those
// characters make of it.
std::string escapeInvisibleCharacters(std::string_view text);

// The names of the machine's own loopback that the system itself defines:
// "localhost" with or without a final dot, every name under "localhost.",
// "localhost.localdomain", "localhost4", "localhost6" and every "ip6-" name.
// Letter case is ignored.
bool isLocalhostFamilyName(std::string_view name);

} // namespace quillon::core
