// The main window on the 177,767-line benchmark blocklist and on the
// million-line hosts file:
// - start-up to a painted window, measured over a whole new process (the
//   program's own start: Qt, settings, lists, the window painted), with the
//   splash off (it holds start-up for a second by design), and the peak
//   memory of the process once the window is up;
// - the exit save of a new process (hosts file, the two list files), timed
//   inside it, and the process's peak memory from start to end;
// - switching pages and selecting all rows of the Hosts page;
// - the list commands as a person gives them, through the menu with the
//   window repainted: Select all, Invert selection, a sort, and Delete of
//   10,000 selected rows (the question answered Yes). Their CPU time is the
//   program's for the command, which is what a person waits for.

#include "BenchDoubles.h"
#include "BlocklistFixture.h"

#include "platform/LocaleFormats.h"
#include "platform/linux/GlibcResolver.h"
#include "platform/linux/PosixFileSystem.h"
#include "platform/linux/SystemClock.h"
#include "app/DesktopBrowsers.h"
#include "ui/HostListView.h"
#include "ui/MainMenu.h"
#include "ui/TFormMain.h"

#include <QAction>
#include <QMenu>

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTabWidget>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
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
        window->repaint();
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
        w.window->repaint();
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
        w.window->repaint();
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
    w.window->repaint();
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
