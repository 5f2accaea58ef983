#pragma once
// Asking the name servers themselves for a name's IPv4 addresses, past the
// hosts file: the system's resolver would answer a name the program pinned
// in the hosts file with the pinned address, so it cannot tell whether the
// name moved. Used to check a visited host's address while it is in use.

#include "platform/Resolver.h"

#include <string>

namespace quillon::platform {

class DnsQuery {
public:
    virtual ~DnsQuery() = default;
    // The A records the name servers give for name, in their order; none,
    // with the classic error number (Resolver.h), when there is no answer.
    // Blocks until the servers answer or time out; safe to call from any
    // thread.
    virtual ForwardAnswer ask(const std::string& name) = 0;
};

} // namespace quillon::platform
