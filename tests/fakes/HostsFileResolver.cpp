#include "fakes/HostsFileResolver.h"

#include <arpa/inet.h>

#include <fstream>
#include <sstream>
#include <strings.h>

namespace quillon::test {

HostsFileResolver::HostsFileResolver(std::string hostsPath, FakeResolver& nameServers)
    : m_hostsPath(std::move(hostsPath))
    , m_nameServers(nameServers)
{
}

std::optional<platform::IPv4> HostsFileResolver::numericAddress(const std::string& text)
{
    return m_nameServers.numericAddress(text);
}

platform::ForwardAnswer HostsFileResolver::lookupName(const std::string& name)
{
    std::ifstream file(m_hostsPath, std::ios::binary);
    std::string line;
    while (std::getline(file, line)) {
        line = line.substr(0, line.find('#'));
        std::istringstream words(line);
        std::string address, word;
        if (!(words >> address))
            continue;
        platform::IPv4 bytes {};
        if (::inet_pton(AF_INET, address.c_str(), bytes.data()) != 1)
            continue;
        while (words >> word) {
            if (::strcasecmp(word.c_str(), name.c_str()) == 0) {
                answeredFromFile.push_back(name);
                return { { bytes }, 0 };
            }
        }
    }
    return m_nameServers.lookupName(name);
}

platform::ReverseAnswer HostsFileResolver::lookupAddress(const platform::IPv4& address)
{
    return m_nameServers.lookupAddress(address);
}

std::string HostsFileResolver::localHostName()
{
    return m_nameServers.localHostName();
}

} // namespace quillon::test
