#include "platform/linux/FreshAnswerQuery.h"

#include "platform/linux/NameServerQuery.h"

namespace quillon::platform {

FreshAnswerQuery::FreshAnswerQuery(std::string busAddress, std::unique_ptr<DnsQuery> withoutResolved)
    : m_resolved(std::move(busAddress))
    , m_withoutResolved(withoutResolved ? std::move(withoutResolved) : std::make_unique<NameServerQuery>())
{
}

ForwardAnswer FreshAnswerQuery::ask(const std::string& name)
{
    if (std::optional<ForwardAnswer> answer = m_resolved.askIfRunning(name))
        return *std::move(answer);
    return m_withoutResolved->ask(name);
}

} // namespace quillon::platform
