#include "capture/CaptureLookups.h"

#include "capture/Admission.h"
#include "core/HostName.h"
#include "core/Interface.h"
#include "verify/NameResolution.h"

#include <algorithm>
#include <deque>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

namespace quillon::capture {

// One capture's lookup: the name as captured, and the answer once there.
struct CaptureLookups::Request {
    std::string name;
    std::optional<verify::Lookup> answer; // under Channel::mutex
};

// What the owner and the worker share; it outlives either of them.
struct CaptureLookups::Channel {
    std::shared_ptr<platform::Resolver> resolver;
    std::mutex mutex;
    std::deque<std::shared_ptr<Request>> queue; // asked, not yet taken
    bool working = false;                       // a worker runs
    bool abandoned = false;
};

CaptureLookups::CaptureLookups(std::shared_ptr<platform::Resolver> resolver, Starter start)
    : m_channel(std::make_shared<Channel>())
    , m_start(start ? std::move(start) : Starter([](std::function<void()> work) {
        std::thread(std::move(work)).detach();
    }))
{
    m_channel->resolver = std::move(resolver);
}

CaptureLookups::~CaptureLookups()
{
    const std::lock_guard lock(m_channel->mutex);
    m_channel->abandoned = true;
    m_channel->queue.clear();
}

void CaptureLookups::answerNames(const std::shared_ptr<Channel>& channel)
{
    std::unique_lock lock(channel->mutex);
    while (!channel->abandoned && !channel->queue.empty()) {
        const std::shared_ptr<Request> request = std::move(channel->queue.front());
        channel->queue.pop_front();
        lock.unlock();
        verify::Lookup answer = verify::HostToAddress(*channel->resolver, request->name);
        lock.lock();
        request->answer = std::move(answer);
    }
    channel->working = false;
}

void CaptureLookups::startWorker()
{
    {
        const std::lock_guard lock(m_channel->mutex);
        if (m_channel->working || m_channel->queue.empty())
            return;
        m_channel->working = true;
    }
    try {
        m_start([channel = m_channel] { answerNames(channel); });
    } catch (const std::system_error&) {
        // No thread to be had now: the names wait, and the next capture or
        // poll tries again.
        const std::lock_guard lock(m_channel->mutex);
        m_channel->working = false;
    }
}

void CaptureLookups::admit(core::App& app, const std::string& name, bool verifyNow)
{
    if (onVisit)
        onVisit(app, name);
    const bool asked = std::any_of(m_asked.begin(), m_asked.end(), [&name](const std::shared_ptr<Request>& r) {
        return core::equalsIgnoreCase(r->name, name);
    });
    if (asked)
        return;
    if (!verifyNow || !CapturedHostNeedsLookup(app.state.store, name)) {
        AdmitCapturedHost(app, name, verifyNow);
        return;
    }
    auto request = std::make_shared<Request>();
    request->name = name;
    m_asked.push_back(request);
    {
        const std::lock_guard lock(m_channel->mutex);
        m_channel->queue.push_back(std::move(request));
    }
    if (m_asked.size() == 1)
        core::setActivityIndicator(app, core::ActivityVerifying);
    startWorker();
}

void CaptureLookups::applyAnswers(core::App& app)
{
    if (m_asked.empty())
        return;
    startWorker();
    // While locked a run or a dialog works on the lists; while ending, the
    // exit save is on its way and nothing new enters.
    if (!app.state.unlocked || app.state.ending)
        return;
    std::vector<std::pair<std::string, verify::Lookup>> answered;
    {
        const std::lock_guard lock(m_channel->mutex);
        // The worker answers in the order asked: the answers are a prefix.
        auto end = m_asked.begin();
        for (; end != m_asked.end() && (*end)->answer; ++end)
            answered.emplace_back((*end)->name, std::move(*(*end)->answer));
        m_asked.erase(m_asked.begin(), end);
    }
    for (const auto& [name, answer] : answered) {
        // As VerifyHost reports a lookup cut short because the program is
        // asked to end: the cancel flag is set, and the name did not resolve.
        if (answer.error == platform::ErrorInterrupted)
            app.state.cancel = true;
        AdmitResolvedCapture(app, name, answer.ok() ? answer.text : std::string());
    }
    if (!answered.empty() && m_asked.empty())
        core::setActivityIndicator(app, core::ActivityNone);
}

} // namespace quillon::capture
