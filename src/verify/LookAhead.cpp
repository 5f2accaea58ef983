#include "verify/LookAhead.h"

#include "core/BackgroundWork.h"
#include "core/Interface.h"

#include <algorithm>
#include <mutex>
#include <unordered_map>

namespace quillon::verify {

// What the run and its workers share: the distinct names and a promise for
// each. The run holds only the futures; a worker holds this, so a worker
// that outlives the run sets an answer nobody reads.
struct LookAhead::Shared {
    std::mutex mutex;
    std::vector<std::string> distinct;          // in order of first appearance
    std::vector<std::promise<Lookup>> promises; // one per distinct name; never resized
    std::size_t next = 0;                       // the next name a worker takes
    bool closed = false;                        // the run ended: take nothing more
    LookupFunction lookup;
};

LookAhead::LookAhead(std::vector<std::string> names, int workers, LookupFunction lookup)
    : m_names(std::move(names))
    , m_lookup(std::move(lookup))
{
    if (workers <= 0)
        return;
    m_shared = std::make_shared<Shared>();
    m_shared->lookup = m_lookup;
    std::unordered_map<std::string, std::size_t> index;
    std::vector<std::size_t> slotOf(m_names.size(), 0);
    for (std::size_t p = 0; p < m_names.size(); ++p) {
        if (m_names[p].empty())
            continue;
        const auto [it, added] = index.emplace(m_names[p], m_shared->distinct.size());
        if (added)
            m_shared->distinct.push_back(m_names[p]);
        slotOf[p] = it->second;
    }
    m_shared->promises.resize(m_shared->distinct.size());
    std::vector<std::shared_future<Lookup>> futures;
    futures.reserve(m_shared->promises.size());
    for (std::promise<Lookup>& promise : m_shared->promises)
        futures.push_back(promise.get_future().share());
    m_answers.resize(m_names.size());
    for (std::size_t p = 0; p < m_names.size(); ++p) {
        if (!m_names[p].empty())
            m_answers[p] = futures[slotOf[p]];
    }
    startWorkers(static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(workers), futures.size())));
}

void LookAhead::startWorkers(int workers)
{
    int started = 0;
    for (; started < workers; ++started) {
        if (!core::runDetached([shared = m_shared] { answerNames(shared); }))
            break;
    }
    if (started == 0 && workers > 0) {
        // No thread to be had: every name is looked up when it is taken.
        m_answers.clear();
        m_shared->closed = true;
    }
}

LookAhead::~LookAhead()
{
    if (!m_shared)
        return;
    std::lock_guard lock(m_shared->mutex);
    m_shared->closed = true;
}

std::optional<Lookup> LookAhead::take(std::size_t position, const std::string& name,
                                      const std::function<void()>& handleEvents, const std::function<bool()>& giveUp)
{
    if (position >= m_answers.size() || !m_answers[position].valid() || m_names[position] != name)
        return m_lookup(name);
    const std::shared_future<Lookup>& answer = m_answers[position];
    if (!core::waitHandlingEvents(answer, handleEvents, giveUp))
        return std::nullopt;
    return answer.get();
}

void LookAhead::answerNames(const std::shared_ptr<Shared>& shared)
{
    for (;;) {
        std::size_t k = 0;
        {
            std::lock_guard lock(shared->mutex);
            if (shared->closed || shared->next >= shared->distinct.size())
                return;
            k = shared->next++;
        }
        std::promise<Lookup>& promise = shared->promises[k];
        try {
            promise.set_value(shared->lookup(shared->distinct[k]));
        } catch (...) {
            promise.set_exception(std::current_exception());
        }
    }
}

LookAhead lookAheadForNames(core::App& app, std::vector<std::string> names)
{
    const int setting = app.state.settings.LookAhead;
    platform::Resolver& resolver = app.resolver;
    return LookAhead(std::move(names), setting > 1 ? setting : 0,
                     [&resolver](const std::string& name) { return HostToAddress(resolver, name); });
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
