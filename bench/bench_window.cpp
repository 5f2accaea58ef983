// The main window on the 177,767-line benchmark blocklist:
// - start-up to a painted window, measured over a whole new process (the
//   program's own start: Qt, settings, lists, the window painted), with the
//   splash off (it holds start-up for a second by design);
// - switching pages and selecting all rows of the Hosts page;
// - the peak memory of the process once the window is up.

#include "BlocklistFixture.h"

#include "platform/LocaleFormats.h"
#include "platform/linux/GlibcResolver.h"
#include "platform/linux/PosixFileSystem.h"
#include "platform/linux/SystemClock.h"
#include "ui/HostListView.h"
#include "app/DesktopBrowsers.h"
#include "ui/TFormMain.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTabWidget>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

using namespace quillon;

namespace {

std::string g_self;

// A program folder whose settings point at the blocklist's folder.
std::string programFolder()
{
    static const std::string folder = [] {
        const std::string path = bench::blocklistFolder() + "/program/";
        std::filesystem::create_directories(path);
        std::ofstream(path + "Quillon.ini") << "[Settings]\r\nHostsFolder=" << bench::blocklistFolder()
                                            << "\r\nStartSplash=0\r\n";
        return path;
    }();
    return folder;
}

struct Window {
    platform::PosixFileSystem fs;
    platform::SystemClock clock;
    platform::GlibcResolver resolver;
    app::DesktopBrowsers browsers { fs };
    std::unique_ptr<ui::TFormMain> window;

    explicit Window(const std::string& folder)
    {
        ui::MainWindowEnvironment env { fs, clock, resolver, browsers.system, core::foldersBeside(folder), platform::localeDateTimeFormats(), nullptr, {} };
        window = std::make_unique<ui::TFormMain>(env);
        window->start();
        window->repaint();
        QCoreApplication::processEvents();
    }
};

// The child: start the window, report the peak memory, leave at once.
int runChild(int argc, char** argv, const std::string& folder, const std::string& report)
{
    QApplication app(argc, argv);
    Window w(folder);
    rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    std::ofstream(report) << usage.ru_maxrss << "\n" << w.window->listView(0)->model()->rowCount() << "\n";
    std::fflush(nullptr);
    ::_exit(0); // tearing down 175,000 records is not part of starting
}

void BM_StartupToPaintedWindow(benchmark::State& state)
{
    const std::string folder = programFolder();
    const std::string report = bench::blocklistFolder() + "/child-report";
    long peakKb = 0;
    long rows = 0;
    for (auto _ : state) {
        char* args[] = { g_self.data(), const_cast<char*>("--child"), const_cast<char*>(folder.c_str()),
                         const_cast<char*>(report.c_str()), nullptr };
        pid_t pid = 0;
        if (::posix_spawn(&pid, g_self.c_str(), nullptr, nullptr, args, environ) != 0) {
            state.SkipWithError("spawn failed");
            break;
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("child failed");
            break;
        }
        state.PauseTiming();
        std::ifstream in(report);
        in >> peakKb >> rows;
        state.ResumeTiming();
    }
    state.counters["peak_MB"] = static_cast<double>(peakKb) / 1024.0;
    state.counters["rows"] = static_cast<double>(rows);
}
BENCHMARK(BM_StartupToPaintedWindow)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

std::unique_ptr<Window> g_window; // released before the application object

Window& sharedWindow()
{
    if (!g_window)
        g_window = std::make_unique<Window>(programFolder());
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

} // namespace

int main(int argc, char** argv)
{
    g_self = std::filesystem::canonical("/proc/self/exe").string();
    if (argc == 4 && std::string(argv[1]) == "--child")
        return runChild(argc, argv, argv[2], argv[3]);
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_window.reset();
    return 0;
}
