#pragma once
// The one question every verification asks the system: which IPv4 address
// does this name have now, and its inverse. "LOCALHOST" (any letter case)
// is 127.0.0.1 and 127.0.0.1 is "LOCALHOST" without a lookup; a numeric name
// comes back exactly as given, which is how callers recognise it.

#include "core/App.h"

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
