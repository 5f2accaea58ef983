// A verification run against a resolver that takes its time, as name servers
// do: 1,000 hosts at 50 ms a lookup, and 1,000 hosts of which one in five
// fails after 1 s (the person answers "Wait", same for all). For LookAhead 1
// (one name at a time on the window's thread), 16 and 32: the wall time of
// the whole run, and the longest the window's thread went without handling
// its events (processEvents).
//
// LookAhead 1 with failures runs 100 hosts only: 1,000 would take 240 s.
//
// Fresh on use: 1,000 visits to saved hosts due for a check arrive in one
// capture tick, name servers 50 ms away; the answers are applied as the
// window's lookup timer does, every 50 ms. Measured: the tick, the longest
// application of answers (the window's thread waits for neither), and the
// time until every host was checked. Once with those hosts alone, once below
// the 177,767 lines of the benchmark blocklist, where every visit's name
// lies deep in the Hosts list.

#include "core/App.h"
#include "core/BackgroundWork.h"
#include "verify/FreshOnUse.h"
#include "verify/VerificationRuns.h"
#include "platform/linux/PosixFileSystem.h"
#include "platform/linux/SystemClock.h"

#include "BenchDoubles.h"
#include "BlocklistFixture.h"
#include "core/ListFile.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <thread>

using namespace quillon;
using namespace quillon::bench;

namespace {

using Clock = std::chrono::steady_clock;

// Every fifth name (when failing) fails after 1 s; the others resolve after 50 ms.
class SlowResolver final : public platform::Resolver {
public:
    explicit SlowResolver(bool failing)
        : m_failing(failing)
    {
    }
    std::optional<platform::IPv4> numericAddress(const std::string&) override { return std::nullopt; }
    platform::ForwardAnswer lookupName(const std::string& name) override
    {
        if (m_failing && name.starts_with("fail")) {
            std::this_thread::sleep_for(std::chrono::seconds(1));
            return { {}, platform::ErrorTryAgain };
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        return { { { 10, 1, 2, 3 } }, 0 };
    }
    platform::ReverseAnswer lookupAddress(const platform::IPv4&) override { return {}; }
    std::string localHostName() override { return "bench"; }

private:
    bool m_failing;
};

// The window: the longest time between two passes over its events.
class TimedShell final : public core::Shell {
public:
    Clock::time_point last = Clock::now();
    Clock::duration longestGap {};
    void processEvents() override
    {
        const Clock::time_point now = Clock::now();
        longestGap = std::max(longestGap, now - last);
        last = now;
    }
    void setInterfaceUnlocked(bool) override {}
    void setTimerEnabled(core::Timer, bool) override {}
    void showActivity(int) override {}
    void showHostCount() override {}
    int currentPage() const override { return 1; }
    void setCurrentPage(int) override {}
    void setStatusPanelText(int, const std::string&) override {}
    std::vector<int> selectedRows(int) const override { return {}; }
    void selectRows(int, const std::vector<int>&) override {}
    void selectCurrentRow(int, int) override {}
    void scrollRowToTop(int, int) override {}
    void setBusyCursor(bool) override {}
};

// "Wait", with "same action for all" ticked.
class WaitForAll final : public core::UnverifiablePrompt {
public:
    int exec() override { return 2; }
    bool autoResult() const override { return true; }
};

class WaitingPerson final : public core::Dialogs {
public:
    core::Answer ask(const std::string& t, core::MessageKind k) override { return m_quiet.ask(t, k); }
    std::unique_ptr<core::UnverifiablePrompt> unverifiablePrompt(const std::string&, core::PromptVariant) override
    {
        return std::make_unique<WaitForAll>();
    }
    std::unique_ptr<core::InputDialog> inputDialog(const std::string& c, const std::string& t) override
    {
        return m_quiet.inputDialog(c, t);
    }
    std::optional<std::string> openFile(const core::FileDialogOptions& o) override { return m_quiet.openFile(o); }
    std::optional<std::string> saveFile(const core::FileDialogOptions& o) override { return m_quiet.saveFile(o); }
    void showWorkPanel(const core::WorkPanelSetup& s) override { m_quiet.showWorkPanel(s); }
    void hideWorkPanel() override { m_quiet.hideWorkPanel(); }
    bool workPanelVisible() const override { return m_quiet.workPanelVisible(); }
    void setWorkAction(const std::string& t) override { m_quiet.setWorkAction(t); }
    void setWorkUrl(const std::string& t) override { m_quiet.setWorkUrl(t); }
    void setWorkProgress(int p) override { m_quiet.setWorkProgress(p); }
    int workProgress() const override { return m_quiet.workProgress(); }
    void setWorkCancelEnabled(bool e) override { m_quiet.setWorkCancelEnabled(e); }
    void repaintWorkPanel() override { m_quiet.repaintWorkPanel(); }

private:
    QuietDialogs m_quiet;
};

// Arguments: hosts, whether one in five fails, LookAhead.
void BM_SlowResolverRun(benchmark::State& state)
{
    const int hosts = static_cast<int>(state.range(0));
    const bool failing = state.range(1) != 0;
    platform::PosixFileSystem fs;
    platform::SystemClock clock;
    WaitingPerson person;
    SlowResolver resolver(failing);
    Online online;
    double seconds = 0;
    double longestGapMs = 0;
    std::size_t waiting = 0;
    for (auto _ : state) {
        TimedShell shell;
        core::ProgramState programState;
        programState.settings.LookAhead = static_cast<int>(state.range(2));
        core::App app { programState, fs, clock, person, shell, resolver, online };
        core::RecordList run;
        for (int i = 0; i < hosts; ++i) {
            auto r = std::make_unique<core::TRecHost>();
            r->HostName = (failing && i % 5 == 0 ? "fail" : "host") + std::to_string(i) + ".example";
            r->Status = core::StatusWaiting;
            run.push_back(std::move(r));
        }
        const Clock::time_point start = Clock::now();
        shell.last = start;
        verify::ReverifyHosts(app, run);
        shell.processEvents(); // the run's end counts as the last gap's end
        seconds = std::chrono::duration<double>(Clock::now() - start).count();
        longestGapMs = std::chrono::duration<double, std::milli>(shell.longestGap).count();
        waiting = programState.store.wait().size();
        if (programState.store.hosts().size() + waiting != static_cast<std::size_t>(hosts))
            state.SkipWithError("hosts lost");
    }
    core::waitForDetachedWork();
    state.counters["wall_s"] = seconds;
    state.counters["max_gap_ms"] = longestGapMs;
    state.counters["ms_per_host"] = seconds * 1000 / hosts;
    state.counters["waiting"] = static_cast<double>(waiting);
}
BENCHMARK(BM_SlowResolverRun)
    ->ArgNames({ "hosts", "failing", "lookahead" })
    ->Args({ 1000, 0, 1 })
    ->Args({ 1000, 0, 16 })
    ->Args({ 1000, 0, 32 })
    ->Args({ 100, 1, 1 })
    ->Args({ 1000, 1, 16 })
    ->Args({ 1000, 1, 32 })
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);

// Name servers that answer every name after 50 ms, with an address of
// their own (every host moved).
class SlowNameServers final : public platform::DnsQuery {
public:
    platform::ForwardAnswer ask(const std::string&) override
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        return { { { 10, 9, 8, 7 } }, 0 };
    }
};

// Argument: whether the blocklist stands above the visited hosts.
void BM_FreshOnUseThousandVisits(benchmark::State& state)
{
    const bool belowBlocklist = state.range(0) != 0;
    platform::PosixFileSystem fs;
    platform::SystemClock clock;
    QuietDialogs person;
    QuietShell shell;
    InstantResolver resolver;
    Online online;
    double tickMs = 0;
    double longestApplyMs = 0;
    double allCheckedS = 0;
    for (auto _ : state) {
        core::ProgramState programState;
        programState.unlocked = true;
        core::App app { programState, fs, clock, person, shell, resolver, online };
        if (belowBlocklist && !core::loadIntoActive(fs, blocklistPath(), programState.store, core::StatusSaved))
            state.SkipWithError("blocklist not loaded");
        const int pendingBefore = programState.store.pendingChanges();
        core::RecordList hosts;
        std::vector<std::string> names;
        for (int i = 0; i < 1000; ++i) {
            auto r = std::make_unique<core::TRecHost>();
            r->HostName = "host" + std::to_string(i) + ".example";
            r->IP = "10.1.2.3";
            r->Date = 40000; // verified long ago
            r->Status = core::StatusSaved;
            names.push_back(r->HostName);
            hosts.push_back(std::move(r));
        }
        programState.store.hosts().append(std::move(hosts));
        verify::FreshOnUse fresh(std::make_shared<SlowNameServers>());

        const Clock::time_point start = Clock::now();
        for (const std::string& name : names)
            fresh.visited(app, name);
        tickMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        longestApplyMs = 0;
        while (fresh.pending()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            const Clock::time_point before = Clock::now();
            fresh.applyAnswers(app, {});
            longestApplyMs = std::max(longestApplyMs, std::chrono::duration<double, std::milli>(Clock::now() - before).count());
        }
        allCheckedS = std::chrono::duration<double>(Clock::now() - start).count();
        if (programState.store.pendingChanges() - pendingBefore != 1000)
            state.SkipWithError("not every host was checked");
    }
    state.counters["tick_ms"] = tickMs;
    state.counters["longest_apply_ms"] = longestApplyMs;
    state.counters["all_checked_s"] = allCheckedS;
}
BENCHMARK(BM_FreshOnUseThousandVisits)
    ->ArgName("below_blocklist")
    ->Arg(0)
    ->Arg(1)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);

} // namespace

BENCHMARK_MAIN();
