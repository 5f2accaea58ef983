#include "verify/LookAhead.h"

#include "core/BackgroundWork.h"
#include "core/Interface.h"

#include <unordered_map>

namespace quillon::verify {

LookAhead::LookAhead(std::vector<std::string> names, int inFlight, AskFunction ask, LookupFunction lookup,
                     const KnownFunction& known)
    : m_names(std::move(names))
    , m_lookup(std::move(lookup))
    , m_slotOf(m_names.size(), NotAsked)
{
    if (inFlight <= 0 || !ask)
        return;
    m_queue = std::make_unique<core::AnswerQueue<Lookup>>(std::move(ask));
    std::unordered_map<std::string, std::size_t> index;
    for (std::size_t p = 0; p < m_names.size(); ++p) {
        const std::string& name = m_names[p];
        if (name.empty())
            continue;
        const auto [it, added] = index.emplace(name, index.size());
        m_slotOf[p] = it->second;
        if (!added)
            continue;
        if (std::optional<Lookup> answer = known ? known(name) : std::nullopt)
            m_queue->answerNow(name, *std::move(answer));
        else
            m_queue->ask(name, inFlight);
    }
}

std::optional<Lookup> LookAhead::take(std::size_t position, const std::string& name,
                                      const std::function<void()>& handleEvents, const std::function<bool()>& giveUp)
{
    if (!m_queue || position >= m_names.size() || m_names[position] != name || m_slotOf[position] == NotAsked)
        return m_lookup(name);
    const std::size_t slot = m_slotOf[position];
    for (;;) {
        for (auto& answered : m_queue->takeAnswered())
            m_answers.push_back(std::move(answered.second));
        if (slot < m_answers.size())
            return m_answers[slot];
        // Never longer than a slice without the window's events: it
        // repaints, and a click on Cancel is seen while the answer is away.
        if (m_queue->waitForNext(core::EventSlice))
            continue;
        handleEvents();
        if (giveUp && giveUp())
            return std::nullopt;
    }
}

LookAhead::AskFunction LookAhead::onWorkerThreads(LookupFunction lookup)
{
    return [lookup = std::move(lookup)](const std::string& name, core::AnswerQueue<Lookup>::Answered answered) {
        if (!core::runDetached([lookup, name, answered] { answered(lookup(name)); }))
            answered(lookup(name));
    };
}

LookAhead lookAheadForNames(core::App& app, std::vector<std::string> names)
{
    const int setting = app.state.settings.LookAhead;
    platform::Resolver& resolver = app.resolver;
    LookAhead::LookupFunction lookup = [&resolver](const std::string& name) { return HostToAddress(resolver, name); };
    if (setting <= 1 || !app.lookups)
        return LookAhead(std::move(names), 0, {}, std::move(lookup));
    return LookAhead(
        std::move(names), setting,
        [lookups = app.lookups](const std::string& name, core::AnswerQueue<Lookup>::Answered answered) {
            askHostToAddress(*lookups, name, std::move(answered));
        },
        std::move(lookup), [&resolver](const std::string& name) { return answeredAtOnce(resolver, name); });
}

std::string VerifyHost(core::App& app, LookAhead& ahead, std::size_t position, const std::string& name)
{
    core::setActivityIndicator(app, core::ActivityVerifying);
    const std::optional<Lookup> result = ahead.take(
        position, name, [&app] { app.shell.processEvents(); }, [&app] { return app.state.cancel; });
    core::setActivityIndicator(app, core::ActivityNone);
    // Cancel seen while waiting leaves the host unjudged, as a lookup cut
    // short does: the run puts it back where it was.
    if (!result)
        return {};
    return addressOrNothing(app, *result);
}

} // namespace quillon::verify
