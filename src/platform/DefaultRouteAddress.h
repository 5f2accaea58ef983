#pragma once
// The computer's own address as the connection watch reads it: the IPv4
// address the kernel would send from on the default route. Not the lookup
// of the computer's own name: Debian and Ubuntu map that name to 127.0.1.1
// in /etc/hosts, whatever the network. Empty when there is no default route.

#include <string>

namespace quillon::platform {

class DefaultRouteAddress {
public:
    virtual ~DefaultRouteAddress() = default;
    // The source address in dotted form, or empty. Cheap enough to be asked
    // once a second on the window's thread.
    virtual std::string sourceAddress() = 0;
};

} // namespace quillon::platform
