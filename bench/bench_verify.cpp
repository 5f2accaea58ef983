// A verification run of 10,000 hosts against a resolver that answers at
// once: what the run itself costs per host (taking the hosts out, the work
// panel, placing each host back at the top of its list).

#include "core/App.h"
#include "core/HostStore.h"
#include "platform/linux/PosixFileSystem.h"
#include "platform/linux/SystemClock.h"
#include "verify/VerificationRuns.h"

#include <benchmark/benchmark.h>

#include <numeric>

using namespace quillon;

namespace {

class QuietDialogs final : public core::Dialogs {
public:
    core::Answer ask(const std::string&, core::MessageKind) override { return core::Answer::Yes; }
    std::unique_ptr<core::UnverifiablePrompt> unverifiablePrompt(const std::string&, core::PromptVariant) override
    {
        return nullptr;
    }
    std::unique_ptr<core::InputDialog> inputDialog(const std::string&, const std::string&) override { return nullptr; }
    std::optional<std::string> openFile(const core::FileDialogOptions&) override { return std::nullopt; }
    std::optional<std::string> saveFile(const core::FileDialogOptions&) override { return std::nullopt; }
    void showWorkPanel(const core::WorkPanelSetup& s) override
    {
        m_visible = true;
        m_progress = s.progress;
    }
    void hideWorkPanel() override { m_visible = false; }
    bool workPanelVisible() const override { return m_visible; }
    void setWorkAction(const std::string& t) override { m_action = t; }
    void setWorkUrl(const std::string& t) override { m_url = t; }
    void setWorkProgress(int p) override { m_progress = p; }
    int workProgress() const override { return m_progress; }
    void setWorkCancelEnabled(bool) override {}
    void repaintWorkPanel() override { benchmark::DoNotOptimize(m_url.size()); }

private:
    bool m_visible = false;
    int m_progress = 0;
    std::string m_action;
    std::string m_url;
};

class QuietShell final : public core::Shell {
public:
    std::vector<int> rows;
    void setInterfaceUnlocked(bool) override {}
    void setTimerEnabled(core::Timer, bool) override {}
    void showActivity(int) override {}
    void showHostCount() override {}
    int currentPage() const override { return 1; }
    void setCurrentPage(int) override {}
    void processEvents() override {}
    void setStatusPanelText(int, const std::string&) override {}
    std::vector<int> selectedRows(int) const override { return rows; }
    void selectRows(int, const std::vector<int>& r) override { rows = r; }
    void scrollRowToTop(int, int) override {}
    void setBusyCursor(bool) override {}
};

// Every name resolves at once.
class InstantResolver final : public platform::Resolver {
public:
    std::optional<platform::IPv4> numericAddress(const std::string&) override { return std::nullopt; }
    platform::ForwardAnswer lookupName(const std::string&) override { return { { { 10, 1, 2, 3 } }, 0 }; }
    platform::ReverseAnswer lookupAddress(const platform::IPv4&) override { return {}; }
    std::string localHostName() override { return "bench"; }
};

class Online final : public core::ConnectionStatus {
public:
    bool isOnline() const override { return true; }
};

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
