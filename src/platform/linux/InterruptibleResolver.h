#pragma once
// A resolver whose lookups can be given up. Each name or address lookup of
// the resolver it wraps runs on a thread of its own while the caller waits,
// and the wait ends early once the given descriptor becomes readable (the
// termination signal's, see TerminationSignal.h). Such a lookup is answered
// with ErrorInterrupted, and its thread finishes on its own later.
//
// The system's resolver can take many seconds over a name whose servers do
// not answer (five seconds a try by default, several tries): without this,
// a request to end would wait for it, and so would the exit save.
//
// The wrapped resolver is shared with lookups still running after they were
// given up, and must be safe to call from any thread. The caller still waits
// for each answer: nothing else runs on its thread meanwhile.

#include "platform/Resolver.h"

#include <memory>

namespace quillon::platform {

class InterruptibleResolver final : public Resolver {
public:
    // interruptFd < 0: lookups are never given up.
    InterruptibleResolver(std::shared_ptr<Resolver> inner, int interruptFd);

    std::optional<IPv4> numericAddress(const std::string& text) override;
    ForwardAnswer lookupName(const std::string& name) override;
    ReverseAnswer lookupAddress(const IPv4& address) override;
    std::string localHostName() override;

private:
    std::shared_ptr<Resolver> m_inner;
    int m_interruptFd;
};

} // namespace quillon::platform
