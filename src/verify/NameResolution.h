#pragma once
// The one question every verification asks the system: which IPv4 address
// does this name have now, and its inverse. "LOCALHOST" (any letter case)
// is 127.0.0.1 and 127.0.0.1 is "LOCALHOST" without a lookup; a numeric name
// comes back exactly as given, which is how callers recognise it.

#include "core/App.h"
#include "platform/AsyncResolver.h"

#include <functional>
#include <optional>
#include <string>

namespace quillon::verify {

// An answer, or the failure number of the lookup (11001 to 11004).
struct Lookup {
    std::string text;
    int error = 0;
    bool ok() const { return error == 0; }
};

// Which addresses of an answer count.
enum class AnswerRule {
    // Those a name may have (trustedAnswer): every lookup whose address can
    // reach the hosts file on its own (captures, runs, Add Host, imports).
    Trusted,
    // Every address as the resolver gives it: the address tool, whose
    // results the person reads and chooses from.
    AsAnswered,
};

// The addresses of answer that name may have: those core::isRefusedAnswer
// refuses are dropped, and an answer left with none is no answer
// (ErrorNoData), as if the name had no address record.
platform::ForwardAnswer trustedAnswer(const std::string& name, platform::ForwardAnswer answer);

Lookup HostToAddress(platform::Resolver& resolver, const std::string& name, AnswerRule rule = AnswerRule::Trusted);
// HostToAddress in its steps, for lookups through an asynchronous resolver:
// what it answers without asking for addresses (LOCALHOST, numeric names;
// nothing when the name must be looked up), and its answer from the
// addresses the resolver gave.
std::optional<Lookup> answeredAtOnce(platform::Resolver& resolver, const std::string& name);
Lookup lookupOf(const std::string& name, platform::ForwardAnswer answer, AnswerRule rule = AnswerRule::Trusted);
// Asks lookups for a name that answeredAtOnce leaves to be looked up, and
// gives lookupOf's answer. A name the name rule refuses
// (core::isAdmissibleHostName) is never sent to the network: not found.
void askHostToAddress(platform::AsyncResolver& lookups, const std::string& name,
                      std::function<void(Lookup)> answered);
// An empty text (and no failure) when the address has no name record.
Lookup AddressToHost(platform::Resolver& resolver, const std::string& address);

// The address of name, or the empty text when it cannot be resolved now,
// for whatever reason. The activity indicator shows "verification in
// progress" for the length of the lookup. A lookup interrupted because the
// program is ending also sets the cancel flag.
std::string VerifyHost(core::App& app, const std::string& name);
// What a lookup of VerifyHost's says: the address, or the empty text; an
// interrupted lookup also sets the cancel flag.
std::string addressOrNothing(core::App& app, const Lookup& result);

} // namespace quillon::verify
