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

Lookup HostToAddress(platform::Resolver& resolver, const std::string& name);
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
