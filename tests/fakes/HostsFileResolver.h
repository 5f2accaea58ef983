#pragma once
// The system's resolver as Debian's nsswitch ("hosts: files dns") makes it:
// a name that a line of the hosts file holds is answered from that line, as
// it stands in the file at the moment of the lookup (its IPv4 address; the
// name or any further name of the line, letter case ignored). Every other
// name goes to the name servers, played by a FakeResolver. A run that looks
// a name up while its old line is still in the file gets the old address.

#include "fakes/FakeResolver.h"

#include <string>
#include <vector>

namespace quillon::test {

class HostsFileResolver final : public platform::Resolver {
public:
    HostsFileResolver(std::string hostsPath, FakeResolver& nameServers);

    // Names answered from the hosts file, in order.
    std::vector<std::string> answeredFromFile;

    std::optional<platform::IPv4> numericAddress(const std::string& text) override;
    platform::ForwardAnswer lookupName(const std::string& name) override;
    platform::ReverseAnswer lookupAddress(const platform::IPv4& address) override;
    std::string localHostName() override;

private:
    std::string m_hostsPath;
    FakeResolver& m_nameServers;
};

} // namespace quillon::test
