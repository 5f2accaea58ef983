#pragma once
// What a new text for the system hosts file must keep of the current one,
// and which names it may hold, as the privileged helper checks it: with one
// consent kept for minutes, whatever drives the program could otherwise
// remap localhost or the machine's own name for every user, or slip in a
// name that looks like another.
//
// A system line of the current hosts file is one that names the machine's
// own name, alone or with a domain after it (at any address), or that names
// a name of the localhost family or "localhost.<domain>" at an address of the
// machine's own scope (loopback, unspecified, link-local, IPv6). Every such
// line must stand in the new text with the same address and the same names
// (its record marker may be added or differ). Its names, and every reserved
// name (isReservedHostName), may stand on no other line. A new text without
// any host line is refused.
//
// Every line of the new text is empty, a host line the program writes
// (isWrittenHostLine), or a line the current file holds byte for byte: its
// comment lines, and the person's own lines with their tabs and comments.
//
// Every other name of the new text must be admissible (isAdmissibleHostName),
// except on a line that stands so in the current file: the person's own line,
// kept as it was, with the same address and names.
//
// Other lines at such addresses (a blocklist's "127.0.0.1 ads.example", a
// server's IPv6 line) are the person's, who may delete them in the program.
// The program keeps system lines as written, so only a forged caller meets
// the system-line refusals.

#include "core/HostRecord.h"
#include "platform/FileSystem.h"

#include <string>
#include <string_view>

namespace quillon::core {

// True when the line read as r is one of the system's own lines (above) for
// the machine named ownName (empty when unknown).
bool isSystemHostLine(const TRecHost& r, std::string_view ownName);

// True for a name only the system's own lines may hold: the localhost family
// (isLocalhostFamilyName), also with a final dot, and the machine's own name
// (ownName, empty when unknown) alone, with a final dot or with a domain
// after it. Letter case is ignored.
bool isReservedHostName(std::string_view name, std::string_view ownName);

struct HostsTextRefusal {
    enum class Kind {
        None,
        SystemLines, // a system line dropped or changed, a reserved name elsewhere, no host line,
                     // a line the program does not write, or the current file unreadable
        HostName,    // a name that is not admissible on a line the current file does not hold
    };
    Kind kind = Kind::None;
    std::string message; // one sentence; empty for None

    explicit operator bool() const { return kind != Kind::None; }
};

// Whether text may replace the hosts file at currentPath (which need not
// exist) by the rules above. ownName is the machine's host name
// (gethostname), empty when unknown.
// The helper asks this before it replaces the hosts file, and the program
// before it sends a text, so that it never sends one the helper refuses.
HostsTextRefusal hostsTextRefusal(platform::FileSystem& fs, const std::string& currentPath, std::string_view text,
                                  std::string_view ownName);

} // namespace quillon::core
