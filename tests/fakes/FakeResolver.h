#pragma once
// A resolver with scripted answers per name: addresses, or a failure number,
// and a hook that runs during a lookup (to stand for the time it blocks, or
// to press Cancel meanwhile). Numeric names follow inet_addr's rule through
// the real C library. Every lookup is recorded. Lookups may come from any
// thread (a run's look-ahead): they are taken one at a time, the hook
// included. As an asynchronous resolver it answers each question at once,
// before ask() returns, as lookupName would.

#include "core/App.h"
#include "platform/AsyncResolver.h"
#include "platform/Resolver.h"

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace quillon::test {

class FakeResolver final : public platform::Resolver, public platform::AsyncResolver {
public:
    struct Answer {
        std::vector<platform::IPv4> addresses;
        int error = platform::ErrorHostNotFound;
    };
    std::map<std::string, Answer> names;              // forward answers
    std::map<std::string, std::string> reverse;        // dotted address -> name
    std::map<std::string, int> reverseErrors;          // dotted address -> error
    std::string hostName = "testhost";
    std::vector<std::string> lookups;                  // names asked forward
    std::function<void(const std::string&)> duringLookup;
    // When set, a name without a scripted answer resolves to this address.
    bool resolveEverything = false;

    void answer(const std::string& name, const std::string& dotted);
    void fail(const std::string& name, int error = platform::ErrorHostNotFound);

    std::optional<platform::IPv4> numericAddress(const std::string& text) override;
    platform::ForwardAnswer lookupName(const std::string& name) override;
    platform::ReverseAnswer lookupAddress(const platform::IPv4& address) override;
    std::string localHostName() override { return hostName; }
    void ask(const std::string& name, Answered answered) override { answered(lookupName(name)); }

private:
    std::mutex m_mutex;
};

class FakeConnection final : public core::ConnectionStatus {
public:
    bool online = true;
    bool isOnline() const override { return online; }
};

} // namespace quillon::test
