#pragma once
// Fresh on use: a host of the Hosts list that the person visits, verified
// longer ago than RefreshAfterHours, has its address checked in the
// background with the name servers themselves (a platform::AsyncResolver
// past the hosts file: the system's resolver would answer from it). The check sees a
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
// checked, nothing is checked while the computer is offline (the connection
// test), and each name at most once per RefreshAfterHours; RefreshAfterHours
// 0 switches it off. The background checks of the whole Hosts list
// (BackgroundRefresh) ask through the same rules and apply their answers
// here.
//
// Rules, as for the captures' lookups (capture/CaptureLookups.h): every
// member is called on the window's thread; up to LookAhead questions are on
// their way at once through the resolver, whose answers hold only the names
// and their addresses; answers are applied in the order asked, only while
// the interface is unlocked and the program not ending, each to the host of
// that name as it stands then (one deleted or moved meanwhile is left
// alone). Destroying the object abandons what is pending.

#include "core/AnswerQueue.h"
#include "core/App.h"
#include "core/DateTime.h"
#include "platform/AsyncResolver.h"

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>

namespace quillon::verify {

class FreshOnUse {
public:
    // Where the status bar's message goes.
    using Say = std::function<void(const std::string& text)>;

    // dns: answers past the hosts file; a name the name rule refuses is
    // never sent to it.
    explicit FreshOnUse(std::shared_ptr<platform::AsyncResolver> dns);

    // A visit to name that capture saw: its address is asked for when the
    // rules above say so.
    void visited(core::App& app, const std::string& name);
    // Applies the answers that arrived (see the rules).
    void applyAnswers(core::App& app, const Say& say);
    bool pending() const { return !m_asked.empty(); }
    // How many questions wait for their answers to be applied.
    std::size_t waiting() const { return m_asked.size(); }

    // The rules, one step each, for whoever walks the list itself:
    // whether anything may be asked now (RefreshAfterHours not 0, online);
    static bool checking(const core::App& app);
    // whether r is due at now (an entry that may move, verified
    // RefreshAfterHours or more before now);
    static bool due(const core::App& app, const core::TRecHost& r, core::TDateTime now);
    // asks for the address of r, which is due, unless its name was asked
    // within RefreshAfterHours; true when asked.
    bool ask(core::App& app, const core::TRecHost& r, core::TDateTime now);

private:
    core::AnswerQueue<platform::ForwardAnswer> m_asked;
    // When each name (in lower case) was last asked for.
    std::unordered_map<std::string, double> m_lastAsked;
};

} // namespace quillon::verify
