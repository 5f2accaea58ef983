#include "platform/linux/FreshAnswerQuery.h"

#include "platform/linux/CaresResolver.h"
#include "platform/linux/ResolvedQuery.h"

namespace quillon::platform {

namespace {

std::shared_ptr<AsyncResolver> nameServersOfResolvConf()
{
    CaresSettings settings;
    settings.source = CaresSettings::Source::NameServers;
    return std::make_shared<CaresResolver>(std::move(settings));
}

} // namespace

FreshAnswerQuery::FreshAnswerQuery(std::string busAddress, std::shared_ptr<AsyncResolver> withoutResolved)
    : m_loop(std::make_unique<ResolvedQuery>(std::move(busAddress),
                                             withoutResolved ? std::move(withoutResolved) : nameServersOfResolvConf()))
{
}

void FreshAnswerQuery::ask(const std::string& name, Answered answered)
{
    m_loop.post({ name, std::move(answered) });
}

} // namespace quillon::platform
