#pragma once
// Questions for names' IPv4 addresses with many on their way at once and no
// thread waiting for any of them: a verification run keeps hundreds in
// flight, each answered when its reply comes in.
//
// Where the answers come from is the implementation's to say: the hosts file
// and the name servers as the system's resolver has them (CaresResolver), or
// the name servers alone, past the hosts file (FreshAnswerQuery).
//
// Rules:
// - ask() may be called from any thread, from within an answered function
//   too; it never waits for the network.
// - answered is called exactly once: on a thread of the resolver's, or on
//   the calling thread before ask() returns when the answer is known at once.
//   It must hand the answer over and return, never wait.
// - Failures carry the classic numbers of Resolver.h. A question given up
//   because the resolver is going away is answered with ErrorInterrupted.
// - Destroying the resolver answers every question it still holds before it
//   returns.

#include "platform/Resolver.h"

#include <functional>
#include <string>

namespace quillon::platform {

class AsyncResolver {
public:
    using Answered = std::function<void(ForwardAnswer answer)>;

    virtual ~AsyncResolver() = default;
    virtual void ask(const std::string& name, Answered answered) = 0;
};

} // namespace quillon::platform
