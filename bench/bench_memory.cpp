// Peak memory of a process that has loaded the benchmark blocklist into the
// active list: one load, then the process's peak resident set size.

#include "BlocklistFixture.h"

#include "core/ListFile.h"
#include "platform/linux/PosixFileSystem.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>

using namespace quillon;

namespace {

void BM_PeakMemoryAfterLoad(benchmark::State& state)
{
    const std::string path = bench::blocklistPath();
    platform::PosixFileSystem fs;
    core::HostStore store;
    for (auto _ : state) {
        core::loadIntoActive(fs, path, store, core::StatusSaved);
    }
    rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
    state.counters["records"] = static_cast<double>(store.hosts().size());
}
// One iteration: the figure is the peak of a single load.
BENCHMARK(BM_PeakMemoryAfterLoad)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
