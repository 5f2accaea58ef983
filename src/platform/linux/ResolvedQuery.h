#pragma once
// Fresh answers from systemd-resolved over its D-Bus API (Manager.ResolveHostname
// of org.freedesktop.resolve1), so that resolved's own DNSSEC and
// DNS-over-TLS settings hold: asking resolved's upstream servers with plain
// UDP would step around both. Resolved is asked for IPv4 on every interface,
// with synthesis switched off (no answer from /etc/hosts, nor the localhost
// and own-name records it makes up) and without search domains (the name as
// it is).
//
// The questions of a FreshAnswerQuery's loop (PollLoop): one bus connection,
// opened with the first question, carries every question at once as an
// asynchronous call. A question never starts resolved by bus activation, so
// where resolved does not run the bus says at once that its name has no
// owner: that question, and every question when there is no bus to connect
// to, goes to `withoutResolved` instead. Once resolved is on the bus its
// answer stands, failures included.
//
// Errors: resolved's NXDOMAIN 11001; no IPv4 record (NoSuchRR) 11004;
// SERVFAIL, time-outs, no name servers, the network down, the bus or
// resolved gone in mid-question 11002; anything else (a failed DNSSEC
// validation, a refused question) 11003.

#include "platform/linux/PollLoop.h"

#include <systemd/sd-bus.h>

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <string_view>

namespace quillon::platform {

// Flag bits of ResolveHostname's input (systemd's resolved-def.h).
inline constexpr std::uint64_t ResolvedNoSearch = std::uint64_t { 1 } << 8;
inline constexpr std::uint64_t ResolvedNoSynthesize = std::uint64_t { 1 } << 11;

// The classic number for a D-Bus error of a ResolveHostname call.
int resolvedErrorNumber(std::string_view name);

class ResolvedQuery final : public PollLoop::Protocol {
public:
    // busAddress: a D-Bus address ("unix:path=..."); empty for the system
    // bus (DBUS_SYSTEM_BUS_ADDRESS, else its usual socket).
    ResolvedQuery(std::string busAddress, std::shared_ptr<AsyncResolver> withoutResolved);
    ~ResolvedQuery() override;
    ResolvedQuery(const ResolvedQuery&) = delete;
    ResolvedQuery& operator=(const ResolvedQuery&) = delete;

    void start(PollLoop::Question question) override;
    int watch(std::vector<pollfd>& fds) override;
    void handle(const pollfd* fds, std::size_t count) override;
    void stop() override;

private:
    struct Pending {
        ResolvedQuery* owner;
        PollLoop::Question question;
    };
    static int replied(sd_bus_message* reply, void* userdata, sd_bus_error* error);
    // Answers every question on the bus with error and closes it.
    void closeBus(int error);

    std::string m_busAddress;
    std::shared_ptr<AsyncResolver> m_withoutResolved;
    sd_bus* m_bus = nullptr;
    std::set<Pending*> m_pending; // owned; each also the userdata of its call
};

} // namespace quillon::platform
