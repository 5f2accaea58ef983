#include "verify/NameResolution.h"

#include "core/HostAddress.h"
#include "core/HostName.h"
#include "core/Interface.h"
#include "verify/AddressForms.h"

namespace quillon::verify {

platform::ForwardAnswer trustedAnswer(const std::string& name, platform::ForwardAnswer answer)
{
    std::erase_if(answer.addresses,
                  [&name](const platform::IPv4& a) { return core::isRefusedAnswer(name, formatAddress(a)); });
    if (answer.addresses.empty() && answer.error == 0)
        answer.error = platform::ErrorNoData;
    return answer;
}

Lookup HostToAddress(platform::Resolver& resolver, const std::string& name, AnswerRule rule)
{
    if (std::optional<Lookup> known = answeredAtOnce(resolver, name))
        return *std::move(known);
    return lookupOf(name, resolver.lookupName(name), rule);
}

std::optional<Lookup> answeredAtOnce(platform::Resolver& resolver, const std::string& name)
{
    if (core::equalsIgnoreCase(name, "LOCALHOST"))
        return Lookup { "127.0.0.1", 0 };
    if (resolver.numericAddress(name))
        return Lookup { name, 0 };
    return std::nullopt;
}

Lookup lookupOf(const std::string& name, platform::ForwardAnswer answer, AnswerRule rule)
{
    if (rule == AnswerRule::Trusted)
        answer = trustedAnswer(name, std::move(answer));
    if (answer.addresses.empty())
        return { {}, answer.error ? answer.error : platform::ErrorNoRecovery };
    return { formatAddress(answer.addresses.front()), 0 };
}

void askHostToAddress(platform::AsyncResolver& lookups, const std::string& name, std::function<void(Lookup)> answered)
{
    if (!core::isAdmissibleHostName(name)) {
        answered({ {}, platform::ErrorHostNotFound });
        return;
    }
    lookups.ask(name, [name, answered = std::move(answered)](platform::ForwardAnswer answer) {
        answered(lookupOf(name, std::move(answer)));
    });
}

Lookup AddressToHost(platform::Resolver& resolver, const std::string& address)
{
    if (address == "127.0.0.1")
        return { "LOCALHOST", 0 };
    const platform::IPv4 bytes = resolver.numericAddress(address).value_or(platform::IPv4 { 255, 255, 255, 255 });
    const platform::ReverseAnswer answer = resolver.lookupAddress(bytes);
    if (answer.name)
        return { *answer.name, 0 };
    if (answer.error == platform::ErrorNoData)
        return { {}, 0 };
    return { {}, answer.error ? answer.error : platform::ErrorNoRecovery };
}

std::string VerifyHost(core::App& app, const std::string& name)
{
    core::setActivityIndicator(app, core::ActivityVerifying);
    const Lookup result = HostToAddress(app.resolver, name);
    core::setActivityIndicator(app, core::ActivityNone);
    return addressOrNothing(app, result);
}

std::string addressOrNothing(core::App& app, const Lookup& result)
{
    // A lookup cut short because the program is asked to end says nothing
    // about the host: the operation it belongs to is cancelled instead, so
    // that the host goes back where it was rather than being judged.
    if (result.error == platform::ErrorInterrupted)
        app.state.cancel = true;
    return result.ok() ? result.text : std::string();
}

} // namespace quillon::verify
