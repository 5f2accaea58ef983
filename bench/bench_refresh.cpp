// The background checks of aged entries, below the 177,767 lines of the
// benchmark blocklist (never verified by the program: never due) with 1,000
// hosts verified long ago at its end, every one of which moved (answered at
// once). One whole sweep at the program's pace: each tick when the sweep
// asks for it (a clock that jumps there), the answers applied after each
// tick as the window's timer does. Measured: the longest tick and the
// longest application of answers, the two stretches the window's thread
// spends on the checks, the ticks of the sweep, and the time the sweep takes
// on the program's clock (its pace: 50 questions a second). The time given
// is the window thread's for the whole sweep: ticks and answers.

#include "core/App.h"
#include "core/ListFile.h"
#include "verify/BackgroundRefresh.h"
#include "verify/FreshOnUse.h"
#include "platform/linux/PosixFileSystem.h"

#include "BenchDoubles.h"
#include "BlocklistFixture.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>

using namespace quillon;
using namespace quillon::bench;

namespace {

using Clock = std::chrono::steady_clock;

// A clock whose milliseconds are set by the benchmark; the date stands.
class SetClock final : public platform::Clock {
public:
    std::uint64_t ms = 0;
    platform::LocalTime now() override { return { 2024, 6, 15, 12, 0, 0, 0 }; }
    std::uint64_t tickCountMs() override { return ms; }
};

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void BM_RefreshSweepBelowBlocklist(benchmark::State& state)
{
    platform::PosixFileSystem fs;
    SetClock clock;
    QuietDialogs person;
    QuietShell shell;
    auto resolver = std::make_shared<InstantResolver>();
    Online online;
    double longestTickMs = 0;
    double longestApplyMs = 0;
    int ticks = 0;
    double sweepSeconds = 0;
    for (auto _ : state) {
        core::ProgramState programState;
        programState.unlocked = true;
        core::App app { programState, fs, clock, person, shell, *resolver, online };
        if (!core::loadIntoActive(fs, blocklistPath(), programState.store, core::StatusSaved))
            state.SkipWithError("blocklist not loaded");
        core::RecordList hosts;
        for (int i = 0; i < 1000; ++i) {
            auto r = std::make_unique<core::TRecHost>();
            r->HostName = "host" + std::to_string(i) + ".example";
            r->IP = "10.9.8.7"; // every one moves to the resolver's 10.1.2.3
            r->Date = 40000;    // verified long ago
            r->Status = core::StatusSaved;
            hosts.push_back(std::move(r));
        }
        programState.store.hosts().append(std::move(hosts));
        const int pendingBefore = programState.store.pendingChanges();
        verify::FreshOnUse fresh(resolver);
        const verify::RefreshPace pace;
        verify::BackgroundRefresh refresh(fresh, pace);
        clock.ms = 0;
        longestTickMs = 0;
        longestApplyMs = 0;
        ticks = 0;
        double busyMs = 0;
        for (;;) {
            const Clock::time_point tickStart = Clock::now();
            const int next = refresh.tick(app);
            const double tickMs = msSince(tickStart);
            const Clock::time_point applyStart = Clock::now();
            fresh.applyAnswers(app, {});
            const double applyMs = msSince(applyStart);
            longestTickMs = std::max(longestTickMs, tickMs);
            longestApplyMs = std::max(longestApplyMs, applyMs);
            busyMs += tickMs + applyMs;
            ++ticks;
            if (static_cast<std::uint64_t>(next) >= pace.sweepEveryMs)
                break;
            clock.ms += static_cast<std::uint64_t>(next);
        }
        state.SetIterationTime(busyMs / 1000.0);
        sweepSeconds = static_cast<double>(clock.ms) / 1000.0;
        if (programState.store.pendingChanges() - pendingBefore != 1000)
            state.SkipWithError("not every host was checked");
    }
    state.counters["longest_tick_ms"] = longestTickMs;
    state.counters["longest_apply_ms"] = longestApplyMs;
    state.counters["ticks"] = ticks;
    state.counters["sweep_s_program_clock"] = sweepSeconds;
}
BENCHMARK(BM_RefreshSweepBelowBlocklist)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
