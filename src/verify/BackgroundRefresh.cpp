#include "verify/BackgroundRefresh.h"

#include "core/DateTime.h"
#include "verify/FreshOnUse.h"

#include <algorithm>
#include <climits>

namespace quillon::verify {

namespace {

int clampMs(std::uint64_t ms)
{
    return static_cast<int>(std::min<std::uint64_t>(ms, INT_MAX));
}

} // namespace

BackgroundRefresh::BackgroundRefresh(FreshOnUse& fresh, RefreshPace pace)
    : m_fresh(fresh)
    , m_pace(pace)
{
}

void BackgroundRefresh::refill(std::uint64_t nowMs)
{
    const std::uint64_t elapsed = m_lastTickMs ? nowMs - *m_lastTickMs : static_cast<std::uint64_t>(m_pace.tickMs);
    m_lastTickMs = nowMs;
    // Ticks that came late (a busy window) make up for no more than one
    // tick: the rate stays bounded.
    const double share = std::max(1.0, m_pace.questionsPerSecond * m_pace.tickMs / 1000.0);
    m_budget = std::min(share, m_budget + static_cast<double>(elapsed) * m_pace.questionsPerSecond / 1000.0);
}

int BackgroundRefresh::tick(core::App& app)
{
    const core::ProgramState& s = app.state;
    if (!s.unlocked || s.ending || !FreshOnUse::checking(app))
        return m_pace.idleTickMs;
    const std::uint64_t nowMs = app.clock.tickCountMs();
    if (!m_sweeping) {
        if (nowMs < m_nextSweepMs)
            return clampMs(m_nextSweepMs - nowMs);
        m_sweeping = true;
        m_row = 0;
    }
    refill(nowMs);
    const core::HostSequence& hosts = s.store.hosts();
    const core::TDateTime now = core::now(app.clock);
    const std::size_t waitingAtMost = static_cast<std::size_t>(std::max(1, m_pace.questionsPerSecond));
    for (const std::size_t end = std::min(hosts.size(), m_row + m_pace.rowsPerTick); m_row < end; ++m_row) {
        const core::TRecHost& r = hosts.at(m_row);
        if (!FreshOnUse::due(app, r, now))
            continue;
        // Out of questions for now: the sweep goes on from this row.
        if (m_budget < 1 || m_fresh.waiting() >= waitingAtMost)
            return m_pace.tickMs;
        if (m_fresh.ask(app, r, now))
            m_budget -= 1;
    }
    if (m_row < hosts.size())
        return m_pace.tickMs;
    m_sweeping = false;
    m_nextSweepMs = nowMs + m_pace.sweepEveryMs;
    return clampMs(m_pace.sweepEveryMs);
}

} // namespace quillon::verify
