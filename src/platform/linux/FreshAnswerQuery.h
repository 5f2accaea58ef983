#pragma once
// The program's fresh answers, past /etc/hosts: from systemd-resolved
// itself when it runs (ResolvedQuery), so that its DNSSEC and DNS-over-TLS
// settings hold; from the name servers of /etc/resolv.conf otherwise (a
// CaresResolver for the name servers alone). The choice is made again at
// each question, since resolved may start or stop while the program runs.
// Every question is on its way at once on one thread (PollLoop).

#include "platform/AsyncResolver.h"
#include "platform/linux/PollLoop.h"

#include <memory>
#include <string>

namespace quillon::platform {

class FreshAnswerQuery final : public AsyncResolver {
public:
    // busAddress: where resolved is looked for (empty: the system bus);
    // withoutResolved: asked when it is not there (null: the name servers
    // of /etc/resolv.conf).
    explicit FreshAnswerQuery(std::string busAddress = {}, std::shared_ptr<AsyncResolver> withoutResolved = nullptr);

    void ask(const std::string& name, Answered answered) override;

private:
    PollLoop m_loop;
};

} // namespace quillon::platform
