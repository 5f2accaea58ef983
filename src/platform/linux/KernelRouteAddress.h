#pragma once
// DefaultRouteAddress from the kernel's routing: a UDP socket connected to a
// documentation address (203.0.113.1, meant for documentation only) takes the route
// to it, the default one, and its local address is the one the kernel
// chose. Connecting a UDP socket sends nothing.

#include "platform/DefaultRouteAddress.h"

namespace quillon::platform {

class KernelRouteAddress final : public DefaultRouteAddress {
public:
    std::string sourceAddress() override;
};

} // namespace quillon::platform
