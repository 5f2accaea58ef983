#pragma once
// The program's fresh answers, past /etc/hosts: from systemd-resolved
// itself when it runs (ResolvedQuery), so that its DNSSEC and DNS-over-TLS
// settings hold; from the name servers of /etc/resolv.conf otherwise
// (NameServerQuery). The choice is made again at each question, since
// resolved may start or stop while the program runs. Once resolved is on
// the bus its answer stands, failures included: asking its upstream servers
// past it would drop those settings. Safe on any thread, as both are.

#include "platform/DnsQuery.h"
#include "platform/linux/ResolvedQuery.h"

#include <memory>
#include <string>

namespace quillon::platform {

class FreshAnswerQuery final : public DnsQuery {
public:
    // busAddress: where resolved is looked for (empty: the system bus);
    // withoutResolved: asked when it is not there (null: a NameServerQuery
    // on /etc/resolv.conf).
    explicit FreshAnswerQuery(std::string busAddress = {}, std::unique_ptr<DnsQuery> withoutResolved = nullptr);

    ForwardAnswer ask(const std::string& name) override;

private:
    ResolvedQuery m_resolved;
    std::unique_ptr<DnsQuery> m_withoutResolved;
};

} // namespace quillon::platform
