#pragma once
// DnsQuery through libresolv (res_nquery) to the name servers of
// /etc/resolv.conf, whatever their address: used where systemd-resolved is
// not running (behind resolved, resolved itself is asked, so that its
// DNSSEC and DNS-over-TLS settings hold). Only IPv4 servers are asked, at
// most three, each query waiting two seconds twice at most. A reply too
// long for UDP is asked again over TCP; only the addresses of the asked name
// (or of the end of its CNAME chain) are taken (DnsReply.h).

#include "platform/DnsQuery.h"

#include <string>
#include <string_view>
#include <vector>

namespace quillon::platform {

// The IPv4 name servers that the text of resolv.conf names, in its order.
std::vector<std::string> nameServersToAsk(std::string_view resolvConf);

class NameServerQuery final : public DnsQuery {
public:
    // The file is read at each question (a network change rewrites it);
    // port is 53 but in tests.
    explicit NameServerQuery(std::string resolvConf = "/etc/resolv.conf", int port = 53);

    ForwardAnswer ask(const std::string& name) override;

private:
    std::string m_resolvConf;
    int m_port;
};

} // namespace quillon::platform
