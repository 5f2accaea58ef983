// Reading the links of a large bookmark file: a 50 MB export in the form
// browsers write it (one bookmark per line, each with its icon inline), its
// hosts collected as the bookmark import collects them. The extra memory is
// the growth of the peak resident size in a child that only scans.

#include "capture/LinkScan.h"
#include "platform/linux/PosixFileSystem.h"

#include "ChildPeak.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>

using namespace quillon;

namespace {

constexpr std::size_t FileBytes = 50u << 20;

const std::string& bookmarkFile()
{
    static const std::string path = [] {
        const std::string p = (std::filesystem::temp_directory_path() / "quillon-bench-bookmarks.html").string();
        if (std::filesystem::exists(p) && std::filesystem::file_size(p) >= FileBytes)
            return p;
        std::ofstream out(p, std::ios::binary | std::ios::trunc);
        out << "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<TITLE>Bookmarks</TITLE>\n<H1>Bookmarks</H1>\n<DL><p>\n";
        const std::string icon(1800, 'A');
        std::size_t written = 0;
        for (int i = 0; written < FileBytes; ++i) {
            const std::string line = "    <DT><A HREF=\"https://host" + std::to_string(i % 5000) + ".example.org/page/"
                + std::to_string(i) + "\" ADD_DATE=\"1700000000\" ICON=\"data:image/png;base64," + icon + "\">Page "
                + std::to_string(i) + "</A>\n";
            out << line;
            written += line.size();
        }
        out << "</DL><p>\n";
        return p;
    }();
    return path;
}

void BM_ScanLinks50MB(benchmark::State& state)
{
    const std::string& path = bookmarkFile();
    platform::PosixFileSystem fs;
    std::size_t found = 0;
    for (auto _ : state) {
        core::RecordList candidates;
        capture::ScanLinks(fs, path, candidates, capture::LinkKind::Bookmark);
        found = candidates.size();
        benchmark::DoNotOptimize(candidates.data());
    }
    state.counters["links"] = static_cast<double>(found);
    state.counters["file_MB"] = static_cast<double>(std::filesystem::file_size(path)) / (1 << 20);
    state.counters["extra_peak_MB"] = bench::childPeakMegabytes(
        [&] {
            core::RecordList candidates;
            capture::ScanLinks(fs, path, candidates, capture::LinkKind::Bookmark);
        },
        true);
}
BENCHMARK(BM_ScanLinks50MB)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

BENCHMARK_MAIN();
