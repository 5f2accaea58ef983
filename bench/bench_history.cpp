// Following and importing the browsers' own histories: a check when nothing
// changed (six profiles), the copy and read of a 100 MB places.sqlite for a
// few new visits, and the collection of an import from a history of a
// million visits (its peak memory measured in a child that does only that).

#include "capture/BrowserHistoryImports.h"
#include "capture/HistoryDatabase.h"
#include "capture/HistoryFollower.h"
#include "platform/linux/PosixFileSystem.h"

#include "ChildPeak.h"

#include <benchmark/benchmark.h>

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>
#include <string>

using namespace quillon;
using namespace quillon::capture;

namespace {

const std::filesystem::path Root = std::filesystem::temp_directory_path() / "quillon-bench-history";
constexpr int Places = 300'000;
constexpr int Visits = 1'000'000;

void exec(sqlite3* db, const std::string& sql)
{
    sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
}

// A Firefox profile whose places.sqlite holds a million visits of 300,000
// pages on 20,000 hosts, about 100 MB; made once and kept between runs.
BrowserProfile bigProfile()
{
    BrowserProfile p { BrowserFamily::Firefox, "Firefox", "big", (Root / "big").string() };
    if (std::filesystem::exists(p.historyFile()) && std::filesystem::file_size(p.historyFile()) > (90u << 20))
        return p;
    std::filesystem::create_directories(p.folder);
    std::filesystem::remove(p.historyFile());
    sqlite3* db = nullptr;
    sqlite3_open(p.historyFile().c_str(), &db);
    exec(db, "CREATE TABLE moz_places (id INTEGER PRIMARY KEY, url TEXT);"
             "CREATE TABLE moz_historyvisits (id INTEGER PRIMARY KEY, place_id INTEGER, visit_date INTEGER);"
             "CREATE TABLE moz_bookmarks (id INTEGER PRIMARY KEY, type INTEGER, fk INTEGER);"
             "BEGIN;");
    sqlite3_stmt* place = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO moz_places (url) VALUES (?1)", -1, &place, nullptr);
    const std::string tail(220, 'p');
    for (int i = 0; i < Places; ++i) {
        const std::string url =
            "https://host" + std::to_string(i % 20'000) + ".example.org/" + std::to_string(i) + "/" + tail;
        sqlite3_bind_text(place, 1, url.c_str(), static_cast<int>(url.size()), SQLITE_TRANSIENT);
        sqlite3_step(place);
        sqlite3_reset(place);
    }
    sqlite3_finalize(place);
    sqlite3_stmt* visit = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO moz_historyvisits (place_id, visit_date) VALUES (?1, ?2)", -1, &visit, nullptr);
    for (int i = 0; i < Visits; ++i) {
        sqlite3_bind_int64(visit, 1, 1 + (i * 7919LL) % Places);
        sqlite3_bind_int64(visit, 2, 1'600'000'000'000'000LL + i * 1'000'000LL);
        sqlite3_step(visit);
        sqlite3_reset(visit);
    }
    sqlite3_finalize(visit);
    exec(db, "COMMIT;");
    sqlite3_close(db);
    return p;
}

std::string copyFolder()
{
    const auto folder = Root / "copies";
    std::filesystem::create_directories(folder);
    return folder.string();
}

// From a visit written into a history to its host in hand: the follower
// checks at the default interval (2000 ms) as the window's timer does, and
// the visit is written at a different moment of that interval each time.
void BM_VisitToLists(benchmark::State& state)
{
    using Clock = std::chrono::steady_clock;
    platform::PosixFileSystem fs;
    const BrowserProfile p { BrowserFamily::Firefox, "Firefox", "live", (Root / "live").string() };
    std::filesystem::remove_all(p.folder);
    std::filesystem::create_directories(p.folder);
    sqlite3* db = nullptr;
    sqlite3_open(p.historyFile().c_str(), &db);
    // As Firefox keeps it: write-ahead log, locked for itself.
    exec(db, "PRAGMA journal_mode=WAL; PRAGMA locking_mode=EXCLUSIVE;"
             "CREATE TABLE moz_places (id INTEGER PRIMARY KEY, url TEXT);"
             "CREATE TABLE moz_historyvisits (id INTEGER PRIMARY KEY, place_id INTEGER, visit_date INTEGER);");
    HistoryFollower follower(fs, BrowserHistories { { p }, copyFolder() }, 0);
    follower.check(true, true, [](std::string_view) {});
    constexpr auto Interval = std::chrono::milliseconds(2000);
    double worstMs = 0;
    int n = 0;
    for (auto _ : state) {
        // The visit lands somewhere within the interval before a check.
        const auto nextCheck = Clock::now() + Interval;
        std::this_thread::sleep_for(Interval * ((n * 37) % 100) / 100);
        const std::string url = "http://visit" + std::to_string(n++) + ".example/";
        const auto written = Clock::now();
        exec(db, "INSERT INTO moz_places (url) VALUES ('" + url + "');"
                 "INSERT INTO moz_historyvisits (place_id, visit_date) VALUES (last_insert_rowid(), 1);");
        bool seen = false;
        for (auto check = nextCheck; !seen; check += Interval) {
            std::this_thread::sleep_until(check);
            follower.check(true, true, [&](std::string_view u) { seen = seen || u == url; });
        }
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - written).count();
        state.SetIterationTime(ms / 1000);
        worstMs = std::max(worstMs, ms);
    }
    sqlite3_close(db);
    state.counters["worst_ms"] = worstMs;
}
BENCHMARK(BM_VisitToLists)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(6);

void BM_CheckWithoutChange(benchmark::State& state)
{
    platform::PosixFileSystem fs;
    std::vector<BrowserProfile> profiles(6, bigProfile());
    HistoryFollower follower(fs, BrowserHistories { profiles, copyFolder() }, 0);
    follower.check(true, true, [](std::string_view) {}); // the first read of each
    for (auto _ : state)
        follower.check(true, true, [](std::string_view) { std::abort(); });
    state.counters["profiles"] = static_cast<double>(profiles.size());
}
BENCHMARK(BM_CheckWithoutChange)->Unit(benchmark::kMicrosecond);

// What the follower does when the history changed: copy it, open the copy,
// check the last visit read is still there, read the visits after it.
void BM_CopyAndRead100MB(benchmark::State& state)
{
    platform::PosixFileSystem fs;
    const BrowserProfile p = bigProfile();
    std::size_t read = 0;
    for (auto _ : state) {
        std::string error;
        const auto copy = HistoryCopy::make(fs, p.historyFile(), copyFolder(), error);
        const auto db = copy ? HistoryDatabase::open(copy->path(), p.family, error) : nullptr;
        if (!db) {
            state.SkipWithError(error.c_str());
            return;
        }
        benchmark::DoNotOptimize(db->visitTime(Visits - 10, error));
        read = 0;
        db->forEachVisitAfter(Visits - 10, [&](std::int64_t, std::string_view, std::int64_t) { ++read; }, error);
    }
    state.counters["file_MB"] = static_cast<double>(std::filesystem::file_size(p.historyFile())) / (1 << 20);
    state.counters["visits_read"] = static_cast<double>(read);
}
BENCHMARK(BM_CopyAndRead100MB)->Unit(benchmark::kMillisecond);

void BM_ImportMillionVisits(benchmark::State& state)
{
    platform::PosixFileSystem fs;
    const BrowserHistories histories { { bigProfile() }, copyFolder() };
    std::size_t hosts = 0;
    for (auto _ : state) {
        core::RecordList candidates;
        std::vector<std::string> errors;
        collectBrowserHosts(fs, histories, BrowserFamily::Firefox, BrowserImport::History, candidates, errors);
        hosts = candidates.size();
    }
    state.counters["visits"] = Visits;
    state.counters["hosts"] = static_cast<double>(hosts);
    state.counters["peak_MB"] = bench::childPeakMegabytes(
        [&] {
            core::RecordList candidates;
            std::vector<std::string> errors;
            collectBrowserHosts(fs, histories, BrowserFamily::Firefox, BrowserImport::History, candidates, errors);
        },
        false);
}
BENCHMARK(BM_ImportMillionVisits)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
