#pragma once
// The resolver of the C library, which reads /etc/hosts first and then asks
// DNS as nsswitch.conf says.

#include "platform/Resolver.h"

namespace quillon::platform {

// The failure number of a lookup from h_errno, as the classic interface
// (gethostbyname, res_query) means it.
int lookupError(int herr);

// The failure number of a reverse lookup from glibc's h_errno. An address
// without a name record (HOST_NOT_FOUND, the usual answer on home networks)
// is ErrorNoData, which the callers take as an empty name.
int reverseLookupError(int herr);

class GlibcResolver final : public Resolver {
public:
    std::optional<IPv4> numericAddress(const std::string& text) override;
    ForwardAnswer lookupName(const std::string& name) override;
    ReverseAnswer lookupAddress(const IPv4& address) override;
    std::string localHostName() override;
};

} // namespace quillon::platform
