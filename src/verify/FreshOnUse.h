#pragma once
// Fresh on use: a host of the Hosts list that the person visits, verified
// longer ago than RefreshAfterHours, has its address checked in the
// background with the name servers themselves (platform::DnsQuery: the
// system's resolver would answer from the hosts file). The check sees a
// site that moved at once, not after AutoVerifyHostsDays.
//
// - The answer holds the host's address: its last verification becomes now
//   (written at the next save; no save of its own).
// - It does not: the host takes the answer's first address, status
//   Verified, a pending change that AutoSave writes at its next tick (the
//   site is unreachable until then), and the status bar says
//   "Address of NAME changed: OLD -> NEW".
// - No answer, or an error: nothing changes. Addresses no name may have
//   (0.0.0.0, loopback, multicast, reserved: trustedAnswer) are no answer.
// - A host at a public address is never moved to an address of the local
//   network (private, shared, link-local, loopback): that is how a
//   rebinding attack answers, and the host is left as it was. A host at a
//   local address may move within local addresses.
//
// Never a question. Entries set on purpose and lines the program never
// verified itself (last verification 0: the person wrote them) are never
// checked, nothing is
// checked while the computer is offline (the connection test), and each
// name at most once per RefreshAfterHours; RefreshAfterHours 0 switches it
// off.
//
// Rules, as for the captures' lookups (capture/CaptureLookups.h): every
// member is called on the window's thread; up to LookAhead questions are on
// their way at once, on worker threads that hold only the names and their
// share of the DnsQuery; answers are applied in the order asked, only while
// the interface is unlocked and the program not ending, each to the host of
// that name as it stands then (one deleted or moved meanwhile is left
// alone). Destroying the object abandons what is pending.

#include "core/AnswerQueue.h"
#include "core/App.h"
#include "platform/DnsQuery.h"

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>

namespace quillon::verify {

class FreshOnUse {
public:
    using Starter = core::AnswerQueue<platform::ForwardAnswer>::Starter;
    // Where the status bar's message goes.
    using Say = std::function<void(const std::string& text)>;

    explicit FreshOnUse(std::shared_ptr<platform::DnsQuery> dns, Starter start = {});

    // A visit to name that capture saw: its address is asked for when the
    // rules above say so.
    void visited(core::App& app, const std::string& name);
    // Applies the answers that arrived (see the rules).
    void applyAnswers(core::App& app, const Say& say);
    bool pending() const { return !m_asked.empty(); }

private:
    core::AnswerQueue<platform::ForwardAnswer> m_asked;
    // When each name (in lower case) was last asked for.
    std::unordered_map<std::string, double> m_lastAsked;
};

} // namespace quillon::verify
