// A verification run of 10,000 hosts against a resolver that answers at
// once: what the run itself costs per host (taking the hosts out, the work
// panel, placing each host back at the top of its list).

#include "core/App.h"
#include "core/HostStore.h"
#include "platform/linux/PosixFileSystem.h"
#include "platform/linux/SystemClock.h"
#include "verify/VerificationRuns.h"

#include "BenchDoubles.h"

#include <benchmark/benchmark.h>

#include <numeric>

using namespace quillon;
using namespace quillon::bench;

namespace {

void BM_VerificationRunPerHost(benchmark::State& state)
{
    const int hosts = static_cast<int>(state.range(0));
    platform::PosixFileSystem fs;
    platform::SystemClock clock;
    QuietDialogs dialogs;
    QuietShell shell;
    InstantResolver resolver;
    Online online;
    for (auto _ : state) {
        state.PauseTiming();
        core::ProgramState programState;
        core::App app { programState, fs, clock, dialogs, shell, resolver, online };
        core::RecordList wait;
        for (int i = 0; i < hosts; ++i) {
            auto r = std::make_unique<core::TRecHost>();
            r->HostName = "host" + std::to_string(i) + ".example.com";
            wait.push_back(std::move(r));
        }
        programState.store.wait().append(std::move(wait));
        shell.rows.resize(static_cast<std::size_t>(hosts));
        std::iota(shell.rows.begin(), shell.rows.end(), 0);
        state.ResumeTiming();

        verify::MenuPopupVerifyClick(app); // the Wait page: no save before the run

        state.PauseTiming();
        if (programState.store.hosts().size() != static_cast<std::size_t>(hosts))
            state.SkipWithError("hosts lost");
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * hosts);
    state.counters["us_per_host"] = benchmark::Counter(static_cast<double>(state.iterations() * hosts),
                                                       benchmark::Counter::kIsRate | benchmark::Counter::kInvert,
                                                       benchmark::Counter::OneK::kIs1000);
}
BENCHMARK(BM_VerificationRunPerHost)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
