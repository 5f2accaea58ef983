#include "verify/FreshOnUse.h"

#include "core/DateTime.h"
#include "core/HostAddress.h"
#include "core/HostName.h"
#include "verify/AddressForms.h"
#include "verify/NameResolution.h"
#include "verify/TWinshoeIPWatch.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace quillon::verify {

namespace {

// At least hours apart, in whole milliseconds.
bool atLeastHoursApart(core::TDateTime from, core::TDateTime to, int hours)
{
    return std::llround((to - from) * 86'400'000.0) >= static_cast<long long>(hours) * 3'600'000;
}

// Entries set on purpose keep their address, and so does every line the
// program never verified itself (last verification 0): the person wrote it.
bool mayMove(const core::TRecHost& r, const std::string& ownName)
{
    return r.Date != 0 && !core::isSetOnPurpose(r, ownName);
}

} // namespace

FreshOnUse::FreshOnUse(std::shared_ptr<platform::AsyncResolver> dns)
    : m_asked([dns = std::move(dns)](const std::string& name, core::AnswerQueue<platform::ForwardAnswer>::Answered answered) {
        if (core::isAdmissibleHostName(name))
            dns->ask(name, std::move(answered));
        else
            answered({ {}, platform::ErrorHostNotFound });
    })
{
}

bool FreshOnUse::checking(const core::App& app)
{
    return app.state.settings.RefreshAfterHours > 0 && IsConnectionDetected(app);
}

bool FreshOnUse::due(const core::App& app, const core::TRecHost& r, core::TDateTime now)
{
    // The date first: a blocklist's lines (never verified) go at once.
    return r.Date != 0 && atLeastHoursApart(r.Date, now, app.state.settings.RefreshAfterHours)
        && mayMove(r, app.state.ownHostName);
}

bool FreshOnUse::ask(core::App& app, const core::TRecHost& r, core::TDateTime now)
{
    const int hours = app.state.settings.RefreshAfterHours;
    const std::string key = core::toLowerAscii(r.HostName);
    if (const auto last = m_lastAsked.find(key); last != m_lastAsked.end() && !atLeastHoursApart(last->second, now, hours))
        return false;
    m_lastAsked[key] = now;
    m_asked.ask(r.HostName, app.state.settings.LookAhead);
    return true;
}

void FreshOnUse::visited(core::App& app, const std::string& name)
{
    if (!checking(app))
        return;
    core::HostStore& store = app.state.store;
    const int x = store.activeIndexOf(name);
    if (x < 0 || static_cast<std::size_t>(x) >= store.hostsCount())
        return;
    const core::TRecHost& r = store.active(static_cast<std::size_t>(x));
    const core::TDateTime now = core::now(app.clock);
    if (due(app, r, now))
        ask(app, r, now);
}

void FreshOnUse::applyAnswers(core::App& app, const Say& say)
{
    if (m_asked.empty())
        return;
    if (!app.state.unlocked || app.state.ending)
        return;
    // Answers arrive in any order; they are applied in the order asked.
    const auto answered = m_asked.takeAnswered();
    core::HostStore& store = app.state.store;
    for (const auto& [name, raw] : answered) {
        const platform::ForwardAnswer answer = trustedAnswer(name, raw);
        if (answer.addresses.empty())
            continue; // no answer: the scheduled verification deals with it
        const int x = store.activeIndexOf(name);
        if (x < 0 || static_cast<std::size_t>(x) >= store.hostsCount())
            continue;
        core::TRecHost& r = store.active(static_cast<std::size_t>(x));
        if (!mayMove(r, app.state.ownHostName))
            continue;
        std::vector<std::string> addresses;
        for (const platform::IPv4& a : answer.addresses)
            addresses.push_back(formatAddress(a));
        if (std::find(addresses.begin(), addresses.end(), r.IP) == addresses.end()) {
            // A public host that now answers with an address of the local
            // network is what a rebinding attack looks like: it keeps its
            // address and its date, and the scheduled verification asks again.
            const auto to = std::find_if(addresses.begin(), addresses.end(),
                                         [&r](const std::string& a) { return !core::isRefusedMove(r.IP, a); });
            if (to == addresses.end())
                continue;
            const std::string old = r.IP;
            r.IP = *to;
            r.Status = core::StatusVerified;
            store.addPendingChange();
            // The site is unreachable for the person until the hosts file
            // has the new address: AutoSave need not wait for more changes.
            app.state.saveSoon = true;
            if (say)
                say("Address of " + r.HostName + " changed: " + old + " -> " + r.IP);
        }
        r.Date = core::now(app.clock);
        store.hosts().notifyChanged(static_cast<std::size_t>(x));
    }
}

} // namespace quillon::verify
