// The host store on the 177,767-line benchmark blocklist: loading with the
// duplicate check, saving all of it, and a look-up by name with letter case
// ignored; loading a hostile file of one 64 MB line; and what the change
// log adds to a save of the million-line file.

#include "BlocklistFixture.h"

#include "core/ChangeLog.h"
#include "core/HostName.h"
#include "core/HostsFile.h"
#include "core/ListFile.h"
#include "core/SystemHostLines.h"
#include "core/Paths.h"
#include "platform/linux/PosixFileSystem.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <random>

using namespace quillon;

namespace {

void BM_LoadBlocklist(benchmark::State& state)
{
    platform::PosixFileSystem fs;
    const std::string path = bench::blocklistPath();
    std::size_t loaded = 0;
    for (auto _ : state) {
        auto store = std::make_unique<core::HostStore>();
        if (!core::loadIntoActive(fs, path, *store, core::StatusSaved))
            state.SkipWithError("load failed");
        loaded = store->hosts().size();
        benchmark::DoNotOptimize(loaded);
        // Releasing the lists is not part of loading them.
        state.PauseTiming();
        store.reset();
        state.ResumeTiming();
    }
    state.counters["records"] = static_cast<double>(loaded);
}
BENCHMARK(BM_LoadBlocklist)->Unit(benchmark::kMillisecond);

void BM_SaveAllBlocklist(benchmark::State& state)
{
    platform::PosixFileSystem fs;
    core::HostStore store;
    core::loadIntoActive(fs, bench::blocklistPath(), store, core::StatusSaved);
    const std::string folder = bench::blocklistFolder() + "/save";
    std::filesystem::create_directories(folder);
    const core::HostsFilePaths paths = core::hostsFilePaths(folder);
    platform::FileStamp own;
    for (auto _ : state) {
        const std::string text = core::formatListFile({ &store.hosts(), &store.wait() }, { 0, false }, 1);
        if (!core::replaceHostsFile(fs, paths, text, own, own))
            state.SkipWithError("save failed");
        core::markWritten({ &store.hosts(), &store.wait() }, { 0, false }, 1);
    }
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(paths.hosts));
}
BENCHMARK(BM_SaveAllBlocklist)->Unit(benchmark::kMillisecond);

// What a save through the helper adds below the blocklist: the current
// file's kept lines, the text made with them, and the helper's check of it
// (the program makes it before sending, the helper again before writing).
void BM_HostsTextCheckBlocklist(benchmark::State& state)
{
    platform::PosixFileSystem fs;
    core::HostStore store;
    const std::string path = bench::blocklistPath();
    core::loadIntoActive(fs, path, store, core::StatusSaved);
    for (auto _ : state) {
        core::CurrentHostsLines kept;
        if (!core::readCurrentHostsLines(fs, path, "mybox", kept))
            state.SkipWithError("read failed");
        std::string text;
        core::ListFileText pieces({ &store.hosts(), &store.wait() }, { 0, false }, 1, &kept);
        while (pieces.next(text)) {
        }
        if (core::hostsTextRefusal(fs, path, text, "mybox"))
            state.SkipWithError("refused");
    }
}
BENCHMARK(BM_HostsTextCheckBlocklist)->Unit(benchmark::kMillisecond);

// A hostile hosts file: 64 MB holding no line end at all, read in pieces.
// Its time should be in step with its size, as for the blocklist.
void BM_LoadOneEndlessLine(benchmark::State& state)
{
    platform::PosixFileSystem fs;
    const std::string path = bench::blocklistFolder() + "/endless";
    {
        std::string text = "10.0.0.1 ";
        text.resize(64 << 20, 'a');
        fs.writeFile(path, text);
    }
    for (auto _ : state) {
        core::HostStore store;
        if (!core::loadIntoActive(fs, path, store, core::StatusSaved))
            state.SkipWithError("load failed");
        benchmark::DoNotOptimize(store.hosts().size());
    }
    state.SetBytesProcessed(state.iterations() * (std::int64_t { 64 } << 20));
}
BENCHMARK(BM_LoadOneEndlessLine)->Unit(benchmark::kMillisecond);

void BM_LookupIgnoringCase(benchmark::State& state)
{
    platform::PosixFileSystem fs;
    core::HostStore store;
    core::loadIntoActive(fs, bench::blocklistPath(), store, core::StatusSaved);
    // Names as a person might type them: upper case, half of them absent.
    std::vector<std::string> queries;
    std::mt19937 rng(1);
    for (int i = 0; i < 4096; ++i) {
        std::string name = store.hosts().at(rng() % store.hosts().size()).HostName;
        for (char& c : name)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (i % 2)
            name += ".absent";
        queries.push_back(std::move(name));
    }
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(store.activeContains(queries[i++ & 4095]));
    }
}
BENCHMARK(BM_LookupIgnoringCase)->Unit(benchmark::kNanosecond);

// What the change log adds to a save of the million-line file that adds
// 1,000 names and moves one: the lists' snapshot and the changes found (the
// file read again for the line moved); for the run's first save (arg 1) also
// the file's snapshot, whose duplicate lines the save drops.
void BM_ChangeLogOfMillionLineSave(benchmark::State& state)
{
    platform::PosixFileSystem fs;
    core::HostStore store;
    const std::string path = bench::millionLinePath();
    core::loadIntoActive(fs, path, store, core::StatusSaved);
    const core::HostsSnapshot saved = core::HostsSnapshot::ofHostsList(store);
    for (int i = 0; i < 1000; ++i) {
        auto r = std::make_unique<core::TRecHost>();
        r->HostName = "new" + std::to_string(i) + ".example";
        r->IP = "192.0.2.1";
        r->Status = core::StatusVerified;
        store.insertTopOfHosts(std::move(r));
    }
    store.hosts().at(5000).IP = "192.0.2.2";
    const bool firstSave = state.range(0) == 1;
    std::size_t changes = 0;
    for (auto _ : state) {
        core::HostsSnapshot before = saved;
        if (firstSave && !core::HostsSnapshot::ofFile(fs, path, before))
            state.SkipWithError("read failed");
        const core::HostsSnapshot after = core::HostsSnapshot::ofHostsList(store);
        changes = core::hostsChanges(before, after, store, fs, path, 0).size();
        benchmark::DoNotOptimize(changes);
    }
    state.counters["changes"] = static_cast<double>(changes);
}
BENCHMARK(BM_ChangeLogOfMillionLineSave)->ArgName("first")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
