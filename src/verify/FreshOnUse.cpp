#include "verify/FreshOnUse.h"

#include "core/DateTime.h"
#include "core/HostAddress.h"
#include "core/HostName.h"
#include "verify/AddressForms.h"
#include "verify/TWinshoeIPWatch.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

namespace quillon::verify {

struct FreshOnUse::Request {
    std::string name;
    std::optional<platform::ForwardAnswer> answer; // under Channel::mutex
};

// What the owner and the workers share; it outlives either of them.
struct FreshOnUse::Channel {
    std::shared_ptr<platform::DnsQuery> dns;
    std::mutex mutex;
    std::deque<std::shared_ptr<Request>> queue; // asked, not yet taken
    int working = 0;                             // workers running
    bool abandoned = false;
};

namespace {

// At least hours apart, in whole milliseconds.
bool atLeastHoursApart(core::TDateTime from, core::TDateTime to, int hours)
{
    return std::llround((to - from) * 86'400'000.0) >= static_cast<long long>(hours) * 3'600'000;
}

} // namespace

FreshOnUse::FreshOnUse(std::shared_ptr<platform::DnsQuery> dns, Starter start)
    : m_channel(std::make_shared<Channel>())
    , m_start(start ? std::move(start) : Starter([](std::function<void()> work) {
        std::thread(std::move(work)).detach();
    }))
{
    m_channel->dns = std::move(dns);
}

FreshOnUse::~FreshOnUse()
{
    const std::lock_guard lock(m_channel->mutex);
    m_channel->abandoned = true;
    m_channel->queue.clear();
}

void FreshOnUse::answerNames(const std::shared_ptr<Channel>& channel)
{
    std::unique_lock lock(channel->mutex);
    while (!channel->abandoned && !channel->queue.empty()) {
        const std::shared_ptr<Request> request = std::move(channel->queue.front());
        channel->queue.pop_front();
        lock.unlock();
        platform::ForwardAnswer answer = channel->dns->ask(request->name);
        lock.lock();
        request->answer = std::move(answer);
    }
    --channel->working;
}

void FreshOnUse::startWorkers(int workers)
{
    for (;;) {
        {
            const std::lock_guard lock(m_channel->mutex);
            if (m_channel->working >= workers || m_channel->working >= static_cast<int>(m_channel->queue.size()))
                return;
            ++m_channel->working;
        }
        try {
            m_start([channel = m_channel] { answerNames(channel); });
        } catch (const std::system_error&) {
            // No thread to be had now: the names wait for the next visit or
            // the next application of answers.
            const std::lock_guard lock(m_channel->mutex);
            --m_channel->working;
            return;
        }
    }
}

void FreshOnUse::visited(core::App& app, const std::string& name)
{
    core::ProgramState& s = app.state;
    const int hours = s.settings.RefreshAfterHours;
    if (hours <= 0 || !IsConnectionDetected(app))
        return;
    const int x = s.store.activeIndexOf(name);
    if (x < 0 || static_cast<std::size_t>(x) >= s.store.hostsCount())
        return;
    const core::TRecHost& r = s.store.active(static_cast<std::size_t>(x));
    const core::TDateTime now = core::now(app.clock);
    if (core::isSetOnPurpose(r, s.ownHostName) || !atLeastHoursApart(r.Date, now, hours))
        return;
    const std::string key = core::toLowerAscii(name);
    if (const auto last = m_lastAsked.find(key); last != m_lastAsked.end() && !atLeastHoursApart(last->second, now, hours))
        return;
    m_lastAsked[key] = now;
    auto request = std::make_shared<Request>();
    request->name = r.HostName;
    m_asked.push_back(request);
    {
        const std::lock_guard lock(m_channel->mutex);
        m_channel->queue.push_back(std::move(request));
    }
    startWorkers(s.settings.LookAhead);
}

void FreshOnUse::applyAnswers(core::App& app, const Say& say)
{
    if (m_asked.empty())
        return;
    startWorkers(app.state.settings.LookAhead);
    if (!app.state.unlocked || app.state.ending)
        return;
    std::vector<std::pair<std::string, platform::ForwardAnswer>> answered;
    {
        const std::lock_guard lock(m_channel->mutex);
        // Answers arrive in any order; they are applied in the order asked.
        auto end = m_asked.begin();
        for (; end != m_asked.end() && (*end)->answer; ++end)
            answered.emplace_back((*end)->name, std::move(*(*end)->answer));
        m_asked.erase(m_asked.begin(), end);
    }
    core::HostStore& store = app.state.store;
    for (const auto& [name, answer] : answered) {
        if (answer.addresses.empty())
            continue; // no answer: the scheduled verification deals with it
        const int x = store.activeIndexOf(name);
        if (x < 0 || static_cast<std::size_t>(x) >= store.hostsCount())
            continue;
        core::TRecHost& r = store.active(static_cast<std::size_t>(x));
        if (core::isSetOnPurpose(r, app.state.ownHostName))
            continue;
        const bool holds = std::any_of(answer.addresses.begin(), answer.addresses.end(),
                                       [&r](const platform::IPv4& a) { return formatAddress(a) == r.IP; });
        r.Date = core::now(app.clock);
        if (!holds) {
            const std::string old = r.IP;
            r.IP = formatAddress(answer.addresses.front());
            r.Status = core::StatusVerified;
            store.addPendingChange();
            // The site is unreachable for the person until the hosts file
            // has the new address: AutoSave need not wait for more changes.
            app.state.saveSoon = true;
            if (say)
                say("Address of " + r.HostName + " changed: " + old + " -> " + r.IP);
        }
        store.hosts().notifyChanged(static_cast<std::size_t>(x));
    }
}

} // namespace quillon::verify
