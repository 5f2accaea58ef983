#pragma once
// The IPv4 addresses a DNS reply gives for the name that was asked, read
// from the reply's bytes as a name server sent them (over UDP or TCP).
//
// Only address records of the asked name count, or those at the end of a
// CNAME chain that starts at it (at most 16 links): a server may add records
// of other names, and those say nothing about this one. A reply that cannot
// be read whole counts as no answer.

#include "platform/Resolver.h"

#include <cstddef>
#include <string_view>

namespace quillon::platform {

// The addresses in the reply's order; none, with ErrorNoData, when the
// reply holds no address of the name.
ForwardAnswer addressesInReply(const unsigned char* reply, std::size_t size, std::string_view name);
// The same for the name of the reply's own question: where the resolver
// that matched the reply to its query added a search domain, that is the
// name it asked.
ForwardAnswer addressesForQuestion(const unsigned char* reply, std::size_t size);

} // namespace quillon::platform
