#pragma once
// The lines of the system hosts file that the system set, which the
// privileged helper keeps whatever text it is given: with one consent kept
// for minutes, whatever drives the program could otherwise remap localhost
// or the machine's own name for every user.
//
// A system line of the current hosts file is one that names the machine's
// own name (at any address), or that names localhost ("localhost",
// "localhost.<domain>") or an "ip6-" name at an address of the machine's own
// scope (loopback, unspecified, link-local, IPv6). Every such line must stand
// in the new text with the same address and the same names (its record
// marker may be added or differ), and its names, localhost and the own name
// may stand on no other line. A new text without any host line is refused.
//
// Other lines at such addresses (a blocklist's "127.0.0.1 ads.example", a
// server's IPv6 line) are the person's, who may delete them in the program.
// The program keeps system lines as written, so only a forged caller meets
// these refusals.

#include "platform/FileSystem.h"

#include <string>
#include <string_view>

namespace quillon::core {

// Empty when text keeps the system lines of the hosts file at currentPath
// (none when it does not exist); else why text is refused, as one sentence.
// ownName is the machine's host name (gethostname), empty when unknown.
std::string systemLinesRefusal(platform::FileSystem& fs, const std::string& currentPath, std::string_view text,
                               std::string_view ownName);

} // namespace quillon::core
