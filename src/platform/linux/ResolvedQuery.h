#pragma once
// DnsQuery through systemd-resolved's D-Bus API (Manager.ResolveHostname of
// org.freedesktop.resolve1), so that resolved's own DNSSEC and DNS-over-TLS
// settings hold for the program's fresh answers: asking resolved's upstream
// servers with plain UDP would step around both. Resolved is asked for IPv4
// on every interface, with synthesis switched off (no answer from
// /etc/hosts, nor the localhost and own-name records it makes up) and
// without search domains (the name as it is).
//
// Threads: an sd-bus connection must not be used by two threads, so each
// question opens a connection of its own; ask() may run on any number of
// threads at once. A question never starts resolved by bus activation.
//
// Errors: resolved's NXDOMAIN 11001; no IPv4 record (NoSuchRR) 11004;
// SERVFAIL, time-outs, no name servers, the network down, no bus or
// resolved gone in mid-question 11002; anything else (a failed DNSSEC
// validation, a refused question) 11003.

#include "platform/DnsQuery.h"

#include <cstdint>
#include <optional>
#include <string>

namespace quillon::platform {

// Flag bits of ResolveHostname's input (systemd's resolved-def.h).
inline constexpr std::uint64_t ResolvedNoSearch = std::uint64_t { 1 } << 8;
inline constexpr std::uint64_t ResolvedNoSynthesize = std::uint64_t { 1 } << 11;

// Whether systemd-resolved's bus name has an owner on the bus at busAddress
// (empty: the system bus); false when that bus cannot be reached.
bool resolvedIsRunning(const std::string& busAddress = {});

class ResolvedQuery final : public DnsQuery {
public:
    // busAddress: a D-Bus address ("unix:path=..."); empty for the system
    // bus (DBUS_SYSTEM_BUS_ADDRESS, else its usual socket).
    explicit ResolvedQuery(std::string busAddress = {});

    ForwardAnswer ask(const std::string& name) override;

    // ask() when resolved is on the bus; nothing when it is not or there is
    // no bus. One connection serves both the check and the question.
    std::optional<ForwardAnswer> askIfRunning(const std::string& name);

private:
    std::string m_busAddress;
};

} // namespace quillon::platform
