#pragma once
// The system's name resolver, in the terms the program's lookups are written
// in: a numeric-address test, a forward lookup giving the host entry's IPv4
// addresses in the resolver's order, a reverse lookup giving the official
// name, and the computer's own name. Each call blocks until the system
// answers. Failures carry the classic numbers:
//   11001 host not found, 11002 no authoritative answer (try again),
//   11003 non-recoverable error, 11004 valid name without a data record;
// and 10004 when the wait was interrupted (see InterruptibleResolver).

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quillon::platform {

using IPv4 = std::array<std::uint8_t, 4>;

inline constexpr int ErrorHostNotFound = 11001;
inline constexpr int ErrorTryAgain = 11002;
inline constexpr int ErrorNoRecovery = 11003;
inline constexpr int ErrorNoData = 11004;
// The wait for the answer was given up because the program is asked to end.
inline constexpr int ErrorInterrupted = 10004;

struct ForwardAnswer {
    std::vector<IPv4> addresses; // empty: failed with error
    int error = 0;
};

struct ReverseAnswer {
    std::optional<std::string> name; // nothing: failed with error
    int error = 0;
};

class Resolver {
public:
    virtual ~Resolver() = default;
    // The address when text is a numeric address as inet_addr reads it
    // (short and hexadecimal forms included); nothing otherwise.
    virtual std::optional<IPv4> numericAddress(const std::string& text) = 0;
    virtual ForwardAnswer lookupName(const std::string& name) = 0;
    virtual ReverseAnswer lookupAddress(const IPv4& address) = 0;
    // The computer's own host name (at most 63 characters); empty on failure.
    virtual std::string localHostName() = 0;
};

} // namespace quillon::platform
