#pragma once
// The background checks of the whole Hosts list: every entry verified
// RefreshAfterHours or more ago is checked with the name servers as a visited
// host is (FreshOnUse: the same rules, the same questions, the same answers
// applied), visited or not. A site that moved while its old address went
// dead records no visit, and would otherwise keep its dead address until the
// scheduled verification.
//
// The window's timer calls tick() when the last tick asked. A sweep walks the
// Hosts list from the top, rowsPerTick rows a tick, so that the window's
// thread is never held for long whatever the list's length, and asks about
// the due entries it meets, at most questionsPerSecond on average and never
// while that many wait for their answers: a long list is asked over
// minutes, never all at once. A sweep starts at the first tick and again
// sweepEveryMs after the last one ended, so that entries are checked as they
// age.
//
// Nothing is asked while the interface is locked (a run works on the lists,
// a dialog is open), while the program is ending, nor while checks are off
// (RefreshAfterHours 0, offline); the sweep waits where it stands.
//
// The sweep follows rows, not records: an entry pushed down meanwhile (a host
// entering at the top) may be met twice, which asks nothing twice; one that
// moves above the sweep's row waits for the next sweep.
//
// Every member is called on the window's thread.

#include "core/App.h"

#include <cstddef>
#include <cstdint>
#include <optional>

namespace quillon::verify {

class FreshOnUse;

// The sweep's pace; times on the App's clock (tickCountMs).
struct RefreshPace {
    int questionsPerSecond = 50;
    std::size_t rowsPerTick = 4096;
    // Between two ticks of a sweep, and while nothing may be asked.
    int tickMs = 100;
    int idleTickMs = 1000;
    std::uint64_t sweepEveryMs = 10 * 60 * 1000;
};

class BackgroundRefresh {
public:
    explicit BackgroundRefresh(FreshOnUse& fresh, RefreshPace pace = {});

    // One step of the sweep; gives the milliseconds until the next tick.
    int tick(core::App& app);

private:
    // Adds the questions that the time since the last tick allows, up to
    // one tick's share.
    void refill(std::uint64_t nowMs);

    FreshOnUse& m_fresh;
    RefreshPace m_pace;
    bool m_sweeping = false;
    std::size_t m_row = 0;
    std::uint64_t m_nextSweepMs = 0;
    std::optional<std::uint64_t> m_lastTickMs;
    double m_budget = 0;
};

} // namespace quillon::verify
