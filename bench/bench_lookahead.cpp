// A verification run through the program's resolver of many names at once
// (c-ares), against tests/tools/fake_dns.py on loopback answering each
// question 50 ms after it came, as a name server that far away does: 1,000
// hosts that all resolve, and 1,000 of which one in five is never answered
// (resolv.conf: one attempt, 1 s time-out; the person answers "Wait", same
// for all). For LookAhead 32, 256 (the default) and 1024: the time from the
// run's start, when its first questions go out, to its end, and the longest
// the window's thread went without handling its events (processEvents).
// The floor is one round trip for all answered names (0.05 s) and the
// time-out for the unanswered ones (1 s).
//
// Fresh on use: 1,000 visits to saved hosts due for a check arrive in one
// capture tick, the same name server answering (every host moved); the
// answers are applied as the window's lookup timer does, every 50 ms.
// Measured: the tick, the longest application of answers (the window's
// thread waits for neither), and the time until every host was checked.
// Once with those hosts alone, once below the 177,767 lines of the benchmark
// blocklist, where every visit's name lies deep in the Hosts list.

#include "core/App.h"
#include "verify/FreshOnUse.h"
#include "verify/VerificationRuns.h"
#include "platform/linux/CaresResolver.h"
#include "platform/linux/PosixFileSystem.h"
#include "platform/linux/SystemClock.h"

#include "BenchDoubles.h"
#include "BlocklistFixture.h"
#include "core/ListFile.h"
#include "fakes/ChildProcess.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

using namespace quillon;
using namespace quillon::bench;

namespace {

using Clock = std::chrono::steady_clock;

// fake_dns.py, 50 ms away: NAME.answered.bench and every NAME.example
// answered, NAME.silent.bench never; with a folder of its own holding the
// resolv.conf that names it (1 s time-out, one attempt) and an empty hosts
// file. Started once, for every benchmark of the program.
class DelayedNameServer {
public:
    static DelayedNameServer& instance()
    {
        static DelayedNameServer server;
        return server;
    }
    bool ready() const { return m_port > 0; }
    platform::CaresSettings settings(platform::CaresSettings::Source source) const
    {
        platform::CaresSettings s;
        s.source = source;
        s.resolvConf = (m_folder / "resolv.conf").string();
        s.hostsFile = (m_folder / "hosts").string();
        s.port = m_port;
        return s;
    }
    ~DelayedNameServer() { std::filesystem::remove_all(m_folder); }

private:
    DelayedNameServer()
        : m_process({ "python3", QUILLON_FAKE_DNS, "127.0.0.1", "0", "--delay", "50", "--suffix",
                      "answered.bench=10.1.2.3", "--suffix", "silent.bench=!", "--suffix", "example=10.9.8.7" })
        , m_folder(std::filesystem::temp_directory_path()
                   / ("quillon-bench-dns-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count())))
    {
        const std::string line = m_process.readLine().value_or("");
        if (line.starts_with("READY "))
            m_port = std::stoi(line.substr(6));
        std::filesystem::create_directories(m_folder);
        std::ofstream(m_folder / "resolv.conf") << "nameserver 127.0.0.1\noptions timeout:1 attempts:1\n";
        std::ofstream(m_folder / "hosts") << "";
    }

    test::ChildProcess m_process;
    std::filesystem::path m_folder;
    int m_port = 0;
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

// Arguments: hosts, whether one in five is never answered, LookAhead.
void BM_ManyNamesRun(benchmark::State& state)
{
    DelayedNameServer& server = DelayedNameServer::instance();
    if (!server.ready()) {
        state.SkipWithError("fake_dns.py did not start");
        return;
    }
    const int hosts = static_cast<int>(state.range(0));
    const bool failing = state.range(1) != 0;
    platform::PosixFileSystem fs;
    platform::SystemClock clock;
    WaitingPerson person;
    InstantResolver resolver;
    Online online;
    const auto lookups = std::make_shared<platform::CaresResolver>(server.settings(platform::CaresSettings::Source::System));
    double seconds = 0;
    double longestGapMs = 0;
    std::size_t verified = 0;
    std::size_t waiting = 0;
    for (auto _ : state) {
        TimedShell shell;
        core::ProgramState programState;
        programState.settings.LookAhead = static_cast<int>(state.range(2));
        core::App app { programState, fs, clock, person, shell, resolver, online, nullptr, lookups };
        core::RecordList run;
        for (int i = 0; i < hosts; ++i) {
            auto r = std::make_unique<core::TRecHost>();
            r->HostName = "host" + std::to_string(i) + (failing && i % 5 == 0 ? ".silent.bench" : ".answered.bench");
            r->Status = core::StatusWaiting;
            run.push_back(std::move(r));
        }
        const Clock::time_point start = Clock::now();
        shell.last = start;
        verify::ReverifyHosts(app, run);
        shell.processEvents(); // the run's end counts as the last gap's end
        seconds = std::chrono::duration<double>(Clock::now() - start).count();
        longestGapMs = std::chrono::duration<double, std::milli>(shell.longestGap).count();
        verified = programState.store.hosts().size();
        waiting = programState.store.wait().size();
        if (verified != static_cast<std::size_t>(failing ? hosts - hosts / 5 : hosts))
            state.SkipWithError("not every answered host was verified");
    }
    state.counters["wall_s"] = seconds;
    state.counters["max_gap_ms"] = longestGapMs;
    state.counters["verified"] = static_cast<double>(verified);
    state.counters["waiting"] = static_cast<double>(waiting);
}
BENCHMARK(BM_ManyNamesRun)
    ->ArgNames({ "hosts", "failing", "lookahead" })
    ->Args({ 1000, 0, 32 })
    ->Args({ 1000, 0, 256 })
    ->Args({ 1000, 0, 1024 })
    ->Args({ 1000, 1, 32 })
    ->Args({ 1000, 1, 256 })
    ->Args({ 1000, 1, 1024 })
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);

// Argument: whether the blocklist stands above the visited hosts.
void BM_FreshOnUseThousandVisits(benchmark::State& state)
{
    const bool belowBlocklist = state.range(0) != 0;
    DelayedNameServer& server = DelayedNameServer::instance();
    if (!server.ready()) {
        state.SkipWithError("fake_dns.py did not start");
        return;
    }
    const auto dns = std::make_shared<platform::CaresResolver>(server.settings(platform::CaresSettings::Source::NameServers));
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
        verify::FreshOnUse fresh(dns);

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
