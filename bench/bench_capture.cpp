// One tick of live capture with both stand-in browsers open: the window
// search over the X server's windows, a DDE conversation with each browser
// over the local sockets, the host taken from each reply and admitted. The
// hosts are known already, so no name is resolved: the figure is what a
// tick costs beyond name resolution. Run it on an X server with a window
// manager (make bench does, through tests/wm/run-under-wm.sh).

#include "capture/BrowserCapture.h"
#include "capture/BrowserWindows.h"
#include "core/App.h"
#include "platform/linux/PosixFileSystem.h"
#include "platform/linux/RegistryStore.h"
#include "platform/linux/SocketDdeClient.h"
#include "platform/linux/SystemClock.h"
#include "platform/linux/UrlCacheFile.h"
#include "platform/linux/X11TopLevelWindows.h"

#include "BenchDoubles.h"

#include <benchmark/benchmark.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

using namespace quillon;
using namespace quillon::bench;

namespace {

// A stand-in browser for the life of the object.
class Browser {
public:
    Browser(const char* role, const char* url)
    {
        const std::string sim = QUILLON_BROWSER_SIM;
        const char* argv[] = { sim.c_str(), "--as", role, "--url", url, nullptr };
        if (posix_spawn(&m_pid, sim.c_str(), nullptr, nullptr, const_cast<char**>(argv), environ) != 0)
            m_pid = -1;
    }
    ~Browser()
    {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
        }
    }
    Browser(const Browser&) = delete;
    Browser& operator=(const Browser&) = delete;

private:
    pid_t m_pid = -1;
};

void BM_CaptureTickBothBrowsers(benchmark::State& state)
{
    if (!std::getenv("DISPLAY")) {
        state.SkipWithError("needs an X server (DISPLAY)");
        return;
    }
    const auto runtime = std::filesystem::temp_directory_path() / ("quillon-bench-dde-" + std::to_string(getpid()));
    std::filesystem::create_directories(runtime);
    std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    setenv("XDG_DATA_HOME", runtime.c_str(), 1);
    setenv("XDG_STATE_HOME", runtime.c_str(), 1);
    {
        Browser explorer("iexplore", "http://ie.example.org/index.html");
        Browser netscape("netscape", "http://ns.example.org/");

        platform::PosixFileSystem fs;
        platform::SystemClock clock;
        platform::SocketDdeClient dde;
        platform::X11TopLevelWindows windows;
        platform::RegistryStore registry(fs, (runtime / "registry.ini").string());
        platform::UrlCacheFile visited(fs, (runtime / "url-cache").string());
        capture::BrowserSystem browsers { dde, windows, registry, visited };
        // Both windows shown and both services answering.
        for (int i = 0; i < 200; ++i) {
            const auto found = capture::FindBrowserWindows(windows);
            if (found.ExplorerWindowFound && found.NetscapeWindowFound && dde.connect("iexplore", "WWW_Activate")
                && dde.connect("netscape", "WWW_Activate"))
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }

        QuietDialogs dialogs;
        QuietShell shell;
        InstantResolver resolver;
        Online online;
        core::ProgramState programState;
        programState.settings.CheckOnLine = false;
        core::App app { programState, fs, clock, dialogs, shell, resolver, online };
        programState.unlocked = true; // the ticks run while the interface is unlocked
        // The first tick's lookups answered at once, on this thread.
        capture::CaptureLookups lookups(std::shared_ptr<platform::AsyncResolver>(std::shared_ptr<void>(), &resolver));
        capture::TimerDDETimer(app, browsers, lookups); // the first tick adds both hosts
        lookups.applyAnswers(app);
        if (programState.store.hosts().size() != 2)
            state.SkipWithError("the browsers were not captured");
        for (auto _ : state)
            capture::TimerDDETimer(app, browsers, lookups);
        state.counters["windows"] = static_cast<double>(windows.list().size());
    }
    std::filesystem::remove_all(runtime);
}
BENCHMARK(BM_CaptureTickBothBrowsers)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
