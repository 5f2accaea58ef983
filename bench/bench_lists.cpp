// The list commands on the 177,767-line benchmark blocklist: sorting by each
// key, finding a host name and an address, admitting 10,000 imported names,
// and moving 10,000 selected rows to the Trash.

#include "BenchDoubles.h"
#include "BlocklistFixture.h"

#include "capture/Admission.h"
#include "core/HostSort.h"
#include "core/ListCommands.h"
#include "core/ListFile.h"
#include "platform/linux/PosixFileSystem.h"
#include "platform/linux/SystemClock.h"

#include <benchmark/benchmark.h>

#include <memory>

using namespace quillon;
using namespace quillon::bench;

namespace {

// A program state with the blocklist loaded as its Hosts list.
struct Loaded {
    platform::PosixFileSystem fs;
    platform::SystemClock clock;
    QuietDialogs dialogs;
    QuietShell shell;
    InstantResolver resolver;
    Online online;
    std::unique_ptr<core::ProgramState> state;
    std::unique_ptr<core::App> app;

    Loaded() { reload(); }
    void reload()
    {
        app.reset();
        state = std::make_unique<core::ProgramState>();
        core::loadIntoActive(fs, blocklistPath(), state->store, core::StatusSaved);
        app = std::make_unique<core::App>(core::App { *state, fs, clock, dialogs, shell, resolver, online });
        shell.page = 0;
    }
};

void BM_SortHostsList(benchmark::State& state)
{
    const auto key = static_cast<core::SortKey>(state.range(0));
    Loaded l;
    for (auto _ : state) {
        core::sortPage(*l.app, core::ListPage::Hosts, key, core::SortDirection::Toggle);
        state.PauseTiming();
        l.reload(); // every sort starts from the file's order
        state.ResumeTiming();
    }
    static const char* names[] = { "status", "host name", "alias", "IP address", "last verification", "frequency" };
    state.SetLabel(names[state.range(0)]);
}
BENCHMARK(BM_SortHostsList)->DenseRange(0, 5)->Unit(benchmark::kMillisecond);

void BM_FindInHostsList(benchmark::State& state)
{
    Loaded l;
    const bool byAddress = state.range(0) == 1;
    // The last row: the whole list is looked through.
    const core::TRecHost& last = l.state->store.hosts().at(l.state->store.hosts().size() - 1);
    const std::string text = byAddress ? "no.such.address" : last.HostName;
    for (auto _ : state) {
        l.dialogs.inputs = { text };
        core::findRow(*l.app, byAddress ? core::FindField::IPAddress : core::FindField::HostName);
    }
    state.SetLabel(byAddress ? "IP address, not found" : "host name, last row");
}
BENCHMARK(BM_FindInHostsList)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_AdmitImported10000(benchmark::State& state)
{
    Loaded l;
    for (auto _ : state) {
        state.PauseTiming();
        l.reload();
        core::RecordList candidates;
        for (int i = 0; i < 10000; ++i) {
            auto r = std::make_unique<core::TRecHost>();
            r->HostName = "imported" + std::to_string(i) + ".example.org";
            candidates.push_back(std::move(r));
        }
        state.ResumeTiming();
        const int added = capture::AdmitImportedHosts(*l.app, candidates, capture::ImportMode::Verify);
        if (added != 10000)
            state.SkipWithError("not all admitted");
    }
}
BENCHMARK(BM_AdmitImported10000)->Unit(benchmark::kMillisecond);

void BM_MoveToTrash10000(benchmark::State& state)
{
    Loaded l;
    std::vector<int> rows;
    for (int r = 0; r < 10000 * 17; r += 17)
        rows.push_back(r);
    for (auto _ : state) {
        state.PauseTiming();
        l.reload();
        state.ResumeTiming();
        l.state->store.moveRowsToTrash(core::ListPage::Hosts, rows);
    }
}
BENCHMARK(BM_MoveToTrash10000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
