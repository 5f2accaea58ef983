// The main window on the 177,767-line benchmark blocklist and on the
// million-line hosts file:
// - start-up to a painted window, measured over a whole new process (the
//   program's own start: Qt, settings, lists, the window painted), with the
//   splash off (it holds start-up for a second by design), and the peak
//   memory of the process once the window is up;
// - the exit save of a new process (hosts file, the two list files) after
//   one change to the Hosts list (an alias of its own in each process, so
//   that every save writes), timed inside it, and the process's peak memory
//   from start to end;
// - switching pages and selecting all rows of the Hosts page;
// - the list commands as a person gives them, through the menu with the
//   window repainted: Select all, Invert selection, a sort, and Delete of
//   10,000 selected rows (the question answered Yes). Their CPU time is the
//   program's for the command, which is what a person waits for;
// - a verification run of 1,000 names through the shown window, painting
//   included, against name servers that answer each name 50 ms after it was
//   asked (all at once, as an asynchronous resolver has them in flight), and
//   with every fifth name never answered (given up after 1 s, the person
//   answering "Wait, same for all"): the time from its first question to its
//   end, the window's paints and the longest it went without handling its
//   events.

#include "BenchDoubles.h"
#include "BlocklistFixture.h"

#include "platform/LocaleFormats.h"
#include "platform/linux/GlibcResolver.h"
#include "platform/linux/PosixFileSystem.h"
#include "platform/linux/SystemClock.h"
#include "app/DesktopBrowsers.h"
#include "ui/HostListView.h"
#include "ui/MainMenu.h"
#include "ui/PaintPacer.h"
#include "ui/TFormMain.h"
#include "ui/WidgetDialogs.h"
#include "ui/WorkPanel.h"
#include "verify/VerificationRuns.h"

#include <QAction>
#include <QMenu>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTabWidget>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <spawn.h>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

using namespace quillon;

namespace {

std::string g_self;

// A program folder whose settings point at the folder of a hosts file.
std::string programFolder(const std::string& hostsFolder)
{
    const std::string path = hostsFolder + "/program/";
    std::filesystem::create_directories(path);
    std::ofstream(path + "Quillon.ini") << "[Settings]\r\nHostsFolder=" << hostsFolder << "\r\nStartSplash=0\r\n";
    return path;
}

// The blocklist and the million-line file as they are downloaded, and the
// million-line file as the program writes it back (each line with its
// record: nearly twice the bytes), the file it reads at every later start.
enum HostsFile { Blocklist, MillionLines, MillionLinesWritten };

struct ChildReport {
    long peakKb = 0;
    long rows = 0;
    double saveSeconds = 0;
};

bool spawnChild(const std::string& folder, bool save, ChildReport& out);

std::string programFolder(HostsFile file)
{
    static const std::string blocklist = programFolder(bench::blocklistFolder());
    static const std::string million = programFolder(bench::millionLineFolder());
    static const std::string written = [] {
        const std::string folder = bench::millionLineFolder() + "/written";
        std::filesystem::create_directories(folder);
        std::filesystem::copy_file(bench::millionLinePath(), folder + "/hosts");
        const std::string program = programFolder(folder);
        ChildReport ignored;
        if (!spawnChild(program, true, ignored))
            throw std::runtime_error("the program could not write the million-line file");
        return program;
    }();
    switch (file) {
    case Blocklist:
        return blocklist;
    case MillionLines:
        return million;
    case MillionLinesWritten:
        break;
    }
    return written;
}

struct Window {
    platform::PosixFileSystem fs;
    platform::SystemClock clock;
    platform::GlibcResolver resolver;
    app::DesktopBrowsers browsers { fs };
    // The person who says Yes to every question (a delete's, say).
    bench::QuietDialogs yes;
    std::unique_ptr<ui::TFormMain> window;

    explicit Window(const std::string& folder, bool answersYes = false)
    {
        ui::MainWindowEnvironment env { fs, clock, resolver, browsers.system, core::foldersBeside(folder), platform::localeDateTimeFormats(), answersYes ? &yes : nullptr, {} };
        window = std::make_unique<ui::TFormMain>(env);
        window->start();
        ui::PaintPacer::paintNow(window.get());
        QCoreApplication::processEvents();
    }
};

// The process's own peak resident size (VmHWM). getrusage's figure would
// also count the spawning benchmark's peak, which exec passes on.
long peakKilobytes()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("VmHWM:"))
            return std::stol(line.substr(6));
    }
    return -1;
}

// The child: start the window; with "save", run the program exit and time
// its save. Reports the peak memory, the rows and the save's seconds.
int runChild(int argc, char** argv, const std::string& folder, const std::string& report, bool save)
{
    QApplication app(argc, argv);
    Window w(folder);
    const long rows = w.window->listView(0)->model()->rowCount();
    double seconds = 0;
    if (save) {
        // One change, unlike the last process's: the exit has a file to write.
        w.window->state().store.setAlias(core::ListPage::Hosts, 0, "exit" + std::to_string(::getpid()));
        const auto start = std::chrono::steady_clock::now();
        if (!w.window->programExit())
            return 1;
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    std::ofstream(report) << peakKilobytes() << "\n" << rows << "\n" << seconds << "\n";
    std::fflush(nullptr);
    ::_exit(0); // tearing down the records is not part of what is measured
}

bool spawnChild(const std::string& folder, bool save, ChildReport& out)
{
    const std::string report = folder + "child-report";
    char* args[] = { g_self.data(), const_cast<char*>(save ? "--child-save" : "--child"),
                     const_cast<char*>(folder.c_str()), const_cast<char*>(report.c_str()), nullptr };
    pid_t pid = 0;
    if (::posix_spawn(&pid, g_self.c_str(), nullptr, nullptr, args, environ) != 0)
        return false;
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return false;
    std::ifstream in(report);
    return static_cast<bool>(in >> out.peakKb >> out.rows >> out.saveSeconds);
}

void BM_StartupToPaintedWindow(benchmark::State& state)
{
    const auto file = static_cast<HostsFile>(state.range(0));
    const std::string folder = programFolder(file); // made before the clock runs
    ChildReport report;
    long peakKb = 0;
    for (auto _ : state) {
        if (!spawnChild(folder, false, report)) {
            state.SkipWithError("child failed");
            break;
        }
        peakKb = std::max(peakKb, report.peakKb);
    }
    state.counters["peak_MB"] = static_cast<double>(peakKb) / 1024.0;
    state.counters["rows"] = static_cast<double>(report.rows);
}
// peak_MB: the highest of the processes' peaks.
BENCHMARK(BM_StartupToPaintedWindow)
    ->ArgName("file")
    ->Arg(Blocklist)
    ->Arg(MillionLines)
    ->Arg(MillionLinesWritten)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(5);

// Each iteration is a new process that starts and exits; the time is the
// exit save's alone, and peak_MB the highest peak of those processes. The
// first save of a downloaded file also keeps it as hosts.orig.
void BM_ExitSave(benchmark::State& state)
{
    const std::string folder = programFolder(static_cast<HostsFile>(state.range(0)));
    ChildReport report;
    long peakKb = 0;
    for (auto _ : state) {
        if (!spawnChild(folder, true, report)) {
            state.SkipWithError("child failed");
            break;
        }
        state.SetIterationTime(report.saveSeconds);
        peakKb = std::max(peakKb, report.peakKb);
    }
    state.counters["peak_MB"] = static_cast<double>(peakKb) / 1024.0;
    state.counters["rows"] = static_cast<double>(report.rows);
}
BENCHMARK(BM_ExitSave)
    ->ArgName("file")
    ->Arg(Blocklist)
    ->Arg(MillionLines)
    ->Arg(MillionLinesWritten)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(5);

std::unique_ptr<Window> g_window; // released before the application object

Window& sharedWindow()
{
    if (!g_window)
        g_window = std::make_unique<Window>(programFolder(Blocklist));
    return *g_window;
}

void BM_SwitchPage(benchmark::State& state)
{
    Window& w = sharedWindow();
    int page = 0;
    for (auto _ : state) {
        page = (page + 1) % 3;
        w.window->setCurrentPage(page);
        ui::PaintPacer::paintNow(w.window.get());
    }
}
BENCHMARK(BM_SwitchPage)->Unit(benchmark::kMillisecond);

void BM_SelectAllHosts(benchmark::State& state)
{
    Window& w = sharedWindow();
    w.window->setCurrentPage(0);
    ui::HostListView* view = w.window->listView(0);
    for (auto _ : state) {
        view->selectAll();
        ui::PaintPacer::paintNow(w.window.get());
        state.PauseTiming();
        view->clearSelection();
        state.ResumeTiming();
    }
    state.counters["rows"] = static_cast<double>(view->model()->rowCount());
}
BENCHMARK(BM_SelectAllHosts)->Unit(benchmark::kMillisecond);

// The window whose commands are measured: the blocklist loaded, every
// question answered Yes.
std::unique_ptr<Window> g_commands;

Window& commandWindow()
{
    if (!g_commands) {
        g_commands = std::make_unique<Window>(programFolder(Blocklist), true);
        g_commands->window->resize(800, 600);
        g_commands->window->show();
        g_commands->window->setCurrentPage(0);
        QCoreApplication::processEvents();
    }
    return *g_commands;
}

void command(Window& w, const char* item)
{
    w.window->mainMenu()->action(QString::fromLatin1(item))->trigger();
    ui::PaintPacer::paintNow(w.window.get());
    QCoreApplication::processEvents();
}

void BM_CommandSelectAll(benchmark::State& state)
{
    Window& w = commandWindow();
    for (auto _ : state) {
        command(w, "MenuEditSelectAll");
        state.PauseTiming();
        w.window->listView(0)->clearSelection();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["rows"] = static_cast<double>(w.window->listView(0)->model()->rowCount());
}
BENCHMARK(BM_CommandSelectAll)->Unit(benchmark::kMillisecond);

// Half the rows selected, in runs of ten: inverting gives as many runs.
void BM_CommandInvertSelection(benchmark::State& state)
{
    Window& w = commandWindow();
    std::vector<int> rows;
    for (int r = 0; r < w.window->listView(0)->model()->rowCount(); ++r) {
        if (r / 10 % 2 == 0)
            rows.push_back(r);
    }
    for (auto _ : state) {
        state.PauseTiming();
        w.window->selectRows(0, rows);
        QCoreApplication::processEvents();
        state.ResumeTiming();
        command(w, "MenuEditInvertSelection");
    }
}
BENCHMARK(BM_CommandInvertSelection)->Unit(benchmark::kMillisecond);

// What the Edit menu reads of a selection of thousands of runs as it opens
// (which commands apply).
void BM_OpenEditMenuOverManyRuns(benchmark::State& state)
{
    Window& w = commandWindow();
    std::vector<int> rows;
    for (int r = 0; r < w.window->listView(0)->model()->rowCount(); ++r) {
        if (r / 10 % 2 == 0)
            rows.push_back(r);
    }
    w.window->selectRows(0, rows);
    QMenu* edit = w.window->mainMenu()->menu(QStringLiteral("MenuEdit"));
    for (auto _ : state)
        emit edit->aboutToShow();
}
BENCHMARK(BM_OpenEditMenuOverManyRuns)->Unit(benchmark::kMillisecond);

// Each sort starts from another order (the rows sorted by address).
void BM_CommandSortByHostName(benchmark::State& state)
{
    Window& w = commandWindow();
    for (auto _ : state) {
        state.PauseTiming();
        command(w, "MenuEditSortIP");
        state.ResumeTiming();
        command(w, "MenuEditSortHostname");
    }
}
BENCHMARK(BM_CommandSortByHostName)->Unit(benchmark::kMillisecond);

// 10,000 rows spread over the list, sent to the Trash; put back between
// iterations.
void BM_CommandDelete10000(benchmark::State& state)
{
    Window& w = commandWindow();
    core::HostStore& store = w.window->state().store;
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<int> rows;
        const int count = static_cast<int>(store.hosts().size());
        for (int k = 0; k < 10000; ++k)
            rows.push_back(static_cast<int>(static_cast<long>(k) * count / 10000));
        w.window->selectRows(0, rows);
        QCoreApplication::processEvents();
        state.ResumeTiming();
        command(w, "MenuEditDeleteRow");
        state.PauseTiming();
        store.hosts().append(store.trash().takeAll());
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_CommandDelete10000)->Unit(benchmark::kMillisecond);

using SteadyClock = std::chrono::steady_clock;

// Name servers 50 ms away with every question in flight at once: each name
// is answered 50 ms after it was asked, from one thread of the double's own
// (no thread per question); a name beginning with "silent" is given up after
// 1 s, as the resolver's time-out would. Going away, it answers what it still
// holds as interrupted.
class DelayedAnswers final : public platform::AsyncResolver {
public:
    DelayedAnswers()
        : m_thread([this] { run(); })
    {
    }
    ~DelayedAnswers() override
    {
        {
            const std::lock_guard lock(m_mutex);
            m_stopping = true;
        }
        m_changed.notify_all();
        m_thread.join();
    }
    void ask(const std::string& name, Answered answered) override
    {
        const bool silent = name.starts_with("silent");
        const SteadyClock::time_point now = SteadyClock::now();
        {
            const std::lock_guard lock(m_mutex);
            if (!m_first)
                m_first = now;
            (silent ? m_silent : m_answered)
                .push_back({ now + (silent ? std::chrono::milliseconds(1000) : std::chrono::milliseconds(50)), silent,
                             std::move(answered) });
        }
        m_changed.notify_all();
    }
    // When the first question came, and forgets it for the next run.
    std::optional<SteadyClock::time_point> takeFirstQuestion()
    {
        const std::lock_guard lock(m_mutex);
        return std::exchange(m_first, std::nullopt);
    }

private:
    struct Question {
        SteadyClock::time_point due;
        bool silent = false;
        Answered answered;
    };
    // Both queues are in the order of their due times (one delay each).
    void run()
    {
        std::unique_lock lock(m_mutex);
        for (;;) {
            std::deque<Question>* next = nullptr;
            for (std::deque<Question>* q : { &m_answered, &m_silent }) {
                if (!q->empty() && (!next || q->front().due < next->front().due))
                    next = q;
            }
            if (m_stopping) {
                for (std::deque<Question>* q : { &m_answered, &m_silent }) {
                    for (Question& question : *q)
                        question.answered({ {}, platform::ErrorInterrupted });
                    q->clear();
                }
                return;
            }
            if (!next) {
                m_changed.wait(lock);
                continue;
            }
            if (SteadyClock::now() < next->front().due) {
                m_changed.wait_until(lock, next->front().due);
                continue;
            }
            Question question = std::move(next->front());
            next->pop_front();
            lock.unlock();
            question.answered(question.silent ? platform::ForwardAnswer { {}, platform::ErrorTryAgain }
                                              : platform::ForwardAnswer { { { 93, 184, 216, 34 } }, 0 });
            lock.lock();
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Question> m_answered;
    std::deque<Question> m_silent;
    std::optional<SteadyClock::time_point> m_first;
    bool m_stopping = false;
    std::thread m_thread;
};

// "Wait", with "same action for all" ticked.
class WaitForAll final : public core::UnverifiablePrompt {
public:
    int exec() override { return 2; }
    bool autoResult() const override { return true; }
};

// The person of a run: Yes to every question, "Wait" for all that cannot be
// verified; the work panel is the window's own.
class RunPerson final : public core::Dialogs {
public:
    std::unique_ptr<ui::WidgetDialogs> panel; // once the window is built
    core::Answer ask(const std::string&, core::MessageKind) override { return core::Answer::Yes; }
    std::unique_ptr<core::UnverifiablePrompt> unverifiablePrompt(const std::string&, core::PromptVariant) override
    {
        return std::make_unique<WaitForAll>();
    }
    std::unique_ptr<core::InputDialog> inputDialog(const std::string&, const std::string&) override { return nullptr; }
    std::optional<std::string> openFile(const core::FileDialogOptions&) override { return std::nullopt; }
    std::optional<std::string> saveFile(const core::FileDialogOptions&) override { return std::nullopt; }
    void showWorkPanel(const core::WorkPanelSetup& s) override { panel->showWorkPanel(s); }
    void hideWorkPanel() override { panel->hideWorkPanel(); }
    bool workPanelVisible() const override { return panel->workPanelVisible(); }
    void setWorkAction(const std::string& t) override { panel->setWorkAction(t); }
    void setWorkUrl(const std::string& t) override { panel->setWorkUrl(t); }
    void setWorkProgress(int p) override { panel->setWorkProgress(p); }
    int workProgress() const override { return panel->workProgress(); }
    void setWorkCancelEnabled(bool e) override { panel->setWorkCancelEnabled(e); }
    void repaintWorkPanel() override { panel->repaintWorkPanel(); }
};

// Counts the paints of a widget.
class PaintCount final : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

// Arguments: whether every fifth name is never answered, LookAhead. Each
// iteration a new window over 1,000 saved hosts, run by "Verify Hosts".
void BM_WindowRunThousandNames(benchmark::State& state)
{
    const bool silentFifth = state.range(0) != 0;
    const std::string hostsFolder
        = bench::blocklistFolder() + "/run" + std::to_string(state.range(0)) + "-" + std::to_string(state.range(1));
    std::filesystem::create_directories(hostsFolder);
    std::string lines;
    for (int i = 0; i < 1000; ++i) {
        lines += "198.51.100." + std::to_string(i % 250 + 1) + " " + (silentFifth && i % 5 == 0 ? "silent" : "host")
            + std::to_string(i) + ".example  #Quillon|2024/06/13|12.00.00|1|4#\n";
    }
    const std::string folder = programFolder(hostsFolder);
    // No connection test, and no checks of aged entries beside the run.
    std::ofstream(folder + "Quillon.ini", std::ios::app)
        << "CheckOnLine=0\r\nRefreshAfterHours=0\r\nLookAhead=" << state.range(1) << "\r\n";

    platform::PosixFileSystem fs;
    platform::SystemClock clock;
    platform::GlibcResolver resolver;
    app::DesktopBrowsers browsers { fs };
    double runSeconds = 0;
    double longestGapMs = 0;
    int paints = 0;
    std::size_t verified = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::ofstream(hostsFolder + "/hosts", std::ios::trunc) << lines;
        RunPerson person;
        auto answers = std::make_shared<DelayedAnswers>();
        ui::MainWindowEnvironment env { fs, clock, resolver, browsers.system, core::foldersBeside(folder),
                                        platform::localeDateTimeFormats(), &person, {} };
        env.lookups = answers;
        auto window = std::make_unique<ui::TFormMain>(env);
        person.panel = std::make_unique<ui::WidgetDialogs>(window.get(), *window->workPanel());
        window->start();
        window->resize(800, 600);
        window->show();
        QCoreApplication::processEvents();
        PaintCount count;
        window->workPanel()->installEventFilter(&count);
        // The longest stretch without the window's events handled: a timer
        // that would fire every millisecond.
        QTimer heartbeat;
        SteadyClock::time_point lastBeat {};
        SteadyClock::duration longestGap {};
        QObject::connect(&heartbeat, &QTimer::timeout, [&] {
            const SteadyClock::time_point now = SteadyClock::now();
            if (lastBeat != SteadyClock::time_point {})
                longestGap = std::max(longestGap, now - lastBeat);
            lastBeat = now;
        });
        heartbeat.start(1);
        state.ResumeTiming();

        verify::MenuVerifyVerifyHostsClick(window->app());
        const SteadyClock::time_point end = SteadyClock::now();

        state.PauseTiming();
        heartbeat.stop();
        const auto first = answers->takeFirstQuestion();
        runSeconds = first ? std::chrono::duration<double>(end - *first).count() : 0;
        state.SetIterationTime(runSeconds);
        longestGapMs = std::chrono::duration<double, std::milli>(longestGap).count();
        paints = count.paints;
        verified = 0;
        for (const auto& r : window->state().store.hosts())
            verified += r->IP == "93.184.216.34" ? 1 : 0;
        if (verified + window->state().store.wait().size() != 1000)
            state.SkipWithError("hosts lost");
        window.reset();
        state.ResumeTiming();
    }
    state.counters["paints"] = paints;
    state.counters["paints_per_s"] = runSeconds > 0 ? paints / runSeconds : 0;
    state.counters["max_gap_ms"] = longestGapMs;
    state.counters["verified"] = static_cast<double>(verified);
}
BENCHMARK(BM_WindowRunThousandNames)
    ->ArgNames({ "silent_fifth", "lookahead" })
    ->Args({ 0, 256 })
    ->Args({ 1, 256 })
    ->Args({ 1, 1024 })
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    g_self = std::filesystem::canonical("/proc/self/exe").string();
    if (argc == 4 && (std::string(argv[1]) == "--child" || std::string(argv[1]) == "--child-save"))
        return runChild(argc, argv, argv[2], argv[3], std::string(argv[1]) == "--child-save");
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_window.reset();
    g_commands.reset();
    return 0;
}
