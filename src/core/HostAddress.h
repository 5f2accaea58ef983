#pragma once
// The address field of a host line. What the system's resolver reads from a
// hosts-file line must be an address followed by names and nothing else, so
// the address from outside (a list file, a host list file, a hand-edited
// line) is held to the same standard as the name: an IPv4 address in dotted
// form, an IPv6 address as the system reads it, or the list files' "0" for a
// record without an address.
//
// The address also tells which entries someone set on purpose: one that is
// not an ordinary unicast IPv4 address (any IPv6 address, 0.0.0.0/8,
// 127.0.0.0/8, multicast and the reserved range with the broadcast address)
// is the person's or the system's own setting, such as localhost, an
// ip6-allnodes line or a blocklist's 0.0.0.0. Such an entry is kept as
// written: it is never looked up again nor moved by a verification.

#include "core/HostRecord.h"

#include <string_view>

namespace quillon::core {

// Four decimal numbers of one to three digits, each 0 to 255, joined by ".".
bool isDottedIPv4(std::string_view text);
// An IPv6 address in the text form inet_pton reads: hexadecimal groups,
// at most one "::", an optional dotted IPv4 tail; no zone ("%eth0").
bool isIPv6Text(std::string_view text);
// An address a host line may carry: dotted IPv4, IPv6 or the placeholder "0".
bool isHostLineAddress(std::string_view text);

// True for an address that marks an entry set on purpose (see above); false
// for an ordinary unicast IPv4 address and for no address at all.
bool isPinnedAddress(std::string_view text);
inline bool isPinnedEntry(const TRecHost& r) { return isPinnedAddress(r.IP); }

// True for an address of the machine's own network: private-use (10/8,
// 172.16/12, 192.168/16), shared (100.64/10), link-local (169.254/16) or
// loopback (127/8).
bool isLocalNetworkAddress(std::string_view text);

// True for an address that an answer from the network may not give a name
// outside the localhost family (isLocalhostFamilyName): 0.0.0.0/8,
// 127.0.0.0/8, 224.0.0.0/4, 240.0.0.0/4 and 255.255.255.255. DNS-level
// blockers answer 0.0.0.0 for the names they block and rebinding attacks
// answer 127.0.0.1; either, written to the hosts file, would also make the
// entry look set on purpose and so never be checked again. Such an answer
// counts as no answer.
bool isRefusedAnswer(std::string_view name, std::string_view address);

// True when a host at address from may not be moved to address to by a
// fresh answer: from a public address to one of the machine's own network
// (isLocalNetworkAddress), as resolvers with rebinding protection refuse.
// A host at a local address may move within local addresses.
bool isRefusedMove(std::string_view from, std::string_view to);

// The whole rule for entries set on purpose, which are never due, never
// taken into a verification run, never moved by one, and stay in the hosts
// file meanwhile: a pinned address (above); the line of the machine's own
// name (ownName, letter case ignored, as host name or alias word); and an
// entry the program never verified itself (last verification 0, as lines of
// another origin are read) at an address of the machine's own network: the
// person's NAS, printer or the machine itself. Hosts the program verified at
// such addresses (intranet names captured while browsing) are ordinary.
bool isSetOnPurpose(const TRecHost& r, std::string_view ownName);

// True for an address of the machine's own scope: loopback (127.0.0.0/8),
// unspecified (0.0.0.0), link-local (169.254.0.0/16), and every IPv6 address.
bool isSystemScopeAddress(std::string_view text);

} // namespace quillon::core
