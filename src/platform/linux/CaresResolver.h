#pragma once
// AsyncResolver through c-ares: every question on its way at once from one
// thread (PollLoop), however many there are.
//
// Two sources, as the settings say:
// - System: what the C library's resolver answers for "hosts: files dns".
//   The hosts file and DNS in the order nsswitch.conf names them (c-ares
//   reads it), the hosts file read again whenever it changes (HostsTable);
//   resolv.conf's servers, search domains, ndots, timeout and attempts. Names that
//   nsswitch sends to other sources (single labels, which myhostname and
//   LLMNR answer; ".local" through mDNS; ".localhost") go to the C library
//   itself, each on a thread of its own that answers when it does.
// - NameServers: the servers of resolv.conf alone, past the hosts file, the
//   name asked as it is, two seconds twice: fresh answers where
//   systemd-resolved does not run (FreshAnswerQuery).
//
// c-ares matches each reply to its question and reads the transport (TCP
// for a reply too long for UDP); the addresses are taken from the reply's
// bytes by DnsReply, so that only records of the asked name or of its CNAME
// chain count. resolv.conf is read again for each batch of questions: the
// channel is made when a question comes and closed when none is left.

#include "platform/AsyncResolver.h"
#include "platform/linux/PollLoop.h"

#include <memory>
#include <string>
#include <string_view>

namespace quillon::platform {

struct CaresSettings {
    enum class Source { System, NameServers };
    Source source = Source::System;
    std::string resolvConf = "/etc/resolv.conf";
    std::string hostsFile = "/etc/hosts"; // System only
    int port = 53;                        // of every server; another in tests
    // Asked for the names sent elsewhere (System only); null: the C
    // library's resolver (GlibcResolver).
    std::shared_ptr<Resolver> elsewhere;
};

// Whether the system's resolver sends name to another source than the
// hosts file and DNS: no dot but a final one, ".local" (mDNS) and
// ".localhost" (letter case ignored).
bool sentElsewhere(std::string_view name);

class CaresResolver final : public AsyncResolver {
public:
    explicit CaresResolver(CaresSettings settings = {});

    void ask(const std::string& name, Answered answered) override;

private:
    std::shared_ptr<Resolver> m_elsewhere;
    PollLoop m_loop;
};

} // namespace quillon::platform
