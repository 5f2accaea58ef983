#pragma once
// DnsQuery through libresolv (res_nquery) to the name servers of
// /etc/resolv.conf. Where the only server there is systemd-resolved's stub
// (127.0.0.53), which answers from /etc/hosts as well, the upstream servers
// it lists in /run/systemd/resolve/resolv.conf are asked instead (when that
// file lists any). Only IPv4 servers are asked, at most three, each query
// waiting two seconds twice at most.

#include "platform/DnsQuery.h"

#include <string>
#include <string_view>
#include <vector>

namespace quillon::platform {

// The IPv4 name servers to ask, from the texts of resolv.conf and of the
// stub's upstream list (empty when that file is missing).
std::vector<std::string> nameServersToAsk(std::string_view resolvConf, std::string_view stubUpstreams);

class NameServerQuery final : public DnsQuery {
public:
    // The files are read at each question (a network change rewrites them);
    // port is 53 but in tests.
    explicit NameServerQuery(std::string resolvConf = "/etc/resolv.conf",
                             std::string stubUpstreams = "/run/systemd/resolve/resolv.conf", int port = 53);

    ForwardAnswer ask(const std::string& name) override;

private:
    std::string m_resolvConf;
    std::string m_stubUpstreams;
    int m_port;
};

} // namespace quillon::platform
