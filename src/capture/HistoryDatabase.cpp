#include "capture/HistoryDatabase.h"

#include <sqlite3.h>

#include <atomic>
#include <vector>
#include <cstdint>

namespace quillon::capture {

namespace {

// The files SQLite keeps beside a database.
constexpr const char* Companions[] = { "-wal", "-journal" };
constexpr const char* CopyPrefix = "history-";

std::atomic<unsigned> copyNumber { 0 };

} // namespace

HistoryCopy::HistoryCopy(platform::FileSystem& fs, std::string path)
    : m_fs(fs)
    , m_path(std::move(path))
{
}

std::unique_ptr<HistoryCopy> HistoryCopy::make(platform::FileSystem& fs, const std::string& source,
                                               const std::string& folder, std::string& error)
{
    std::unique_ptr<HistoryCopy> copy(
        new HistoryCopy(fs, folder + "/" + CopyPrefix + std::to_string(++copyNumber) + ".sqlite"));
    const auto stamps = [&] {
        std::vector<platform::FileStamp> all { fs.stamp(source) };
        for (const char* companion : Companions)
            all.push_back(fs.stamp(source + companion));
        return all;
    };
    // A browser may write while we copy: a copy is kept only when no file
    // changed meanwhile, else it is made again, a few times at most.
    for (int attempt = 0; attempt < 3; ++attempt) {
        const auto before = stamps();
        if (const platform::Status s = fs.copyFile(source, copy->m_path); !s) {
            error = s.reason();
            return nullptr;
        }
        for (const char* companion : Companions) {
            // A companion that is not there (any more) is no companion.
            if (fs.fileExists(copy->m_path + companion))
                fs.removeFile(copy->m_path + companion);
            if (fs.fileExists(source + companion))
                fs.copyFile(source + companion, copy->m_path + companion);
        }
        if (stamps() == before)
            break;
    }
    return copy;
}

HistoryCopy::~HistoryCopy()
{
    m_fs.removeFile(m_path);
    for (const char* companion : { "-wal", "-journal", "-shm" }) {
        if (m_fs.fileExists(m_path + companion))
            m_fs.removeFile(m_path + companion);
    }
}

void removeLeftoverCopies(platform::FileSystem& fs, const std::string& folder)
{
    std::vector<platform::FolderEntry> entries;
    if (!fs.listFolder(folder, entries))
        return;
    for (const platform::FolderEntry& e : entries) {
        if (!e.isFolder && e.name.rfind(CopyPrefix, 0) == 0)
            fs.removeFile(folder + "/" + e.name);
    }
}

HistoryDatabase::HistoryDatabase(sqlite3* db, BrowserFamily family)
    : m_db(db)
    , m_family(family)
{
}

HistoryDatabase::~HistoryDatabase()
{
    sqlite3_close_v2(m_db);
}

std::unique_ptr<HistoryDatabase> HistoryDatabase::open(const std::string& path, BrowserFamily family,
                                                       std::string& error)
{
    sqlite3* db = nullptr;
    // Read-write, as the copy is ours: SQLite then takes in the -wal the
    // browser had not yet written back.
    const int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    std::unique_ptr<HistoryDatabase> database(db ? new HistoryDatabase(db, family) : nullptr);
    if (rc != SQLITE_OK) {
        error = db ? sqlite3_errmsg(db) : "out of memory";
        return nullptr;
    }
    // A history of another schema has not the tables and columns asked for.
    const char* probe = family == BrowserFamily::Firefox
        ? "SELECT v.id, p.url FROM moz_historyvisits v JOIN moz_places p ON p.id = v.place_id LIMIT 0"
        : "SELECT v.id, u.url FROM visits v JOIN urls u ON u.id = v.url LIMIT 0";
    if (!database->query(probe, 0, [](std::int64_t, std::string_view, std::int64_t) {}, error))
        return nullptr;
    return database;
}

bool HistoryDatabase::query(const char* sql, std::int64_t parameter, const VisitVisitor& row, std::string& error,
                            std::int64_t second)
{
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(m_db, sql, -1, &raw, nullptr) != SQLITE_OK) {
        error = sqlite3_errmsg(m_db);
        return false;
    }
    const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> statement(raw, &sqlite3_finalize);
    if (sqlite3_bind_parameter_count(raw) > 0)
        sqlite3_bind_int64(raw, 1, parameter);
    if (sqlite3_bind_parameter_count(raw) > 1)
        sqlite3_bind_int64(raw, 2, second);
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(raw)) == SQLITE_ROW) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(raw, 1));
        const auto size = static_cast<std::size_t>(sqlite3_column_bytes(raw, 1));
        const std::int64_t third = sqlite3_column_count(raw) > 2 ? sqlite3_column_int64(raw, 2) : 0;
        row(sqlite3_column_int64(raw, 0), text ? std::string_view(text, size) : std::string_view(), third);
    }
    if (rc != SQLITE_DONE) {
        error = sqlite3_errmsg(m_db);
        return false;
    }
    return true;
}

std::int64_t HistoryDatabase::lastVisitId(std::string& error)
{
    std::int64_t last = -1;
    const char* sql = m_family == BrowserFamily::Firefox ? "SELECT COALESCE(MAX(id), 0), '' FROM moz_historyvisits"
                                                         : "SELECT COALESCE(MAX(id), 0), '' FROM visits";
    if (!query(sql, 0, [&](std::int64_t id, std::string_view, std::int64_t) { last = id; }, error))
        return -1;
    return last;
}

std::optional<std::int64_t> HistoryDatabase::visitTime(std::int64_t id, std::string& error)
{
    std::optional<std::int64_t> time;
    forEachVisitAfter(id - 1, [&](std::int64_t visit, std::string_view, std::int64_t micros) {
        if (visit == id && !time)
            time = micros;
    }, error, 1);
    return time;
}

bool HistoryDatabase::forEachVisitAfter(std::int64_t afterId, const VisitVisitor& take, std::string& error,
                                        std::int64_t limit)
{
    // Chromium counts microseconds from 1601-01-01.
    constexpr std::int64_t From1601To1970 = 11644473600LL * 1000000;
    const char* sql = m_family == BrowserFamily::Firefox
        ? "SELECT v.id, p.url, v.visit_date FROM moz_historyvisits v JOIN moz_places p ON p.id = v.place_id "
          "WHERE v.id > ?1 ORDER BY v.id LIMIT ?2"
        : "SELECT v.id, u.url, v.visit_time FROM visits v JOIN urls u ON u.id = v.url WHERE v.id > ?1 ORDER BY v.id "
          "LIMIT ?2";
    if (m_family == BrowserFamily::Firefox)
        return query(sql, afterId, take, error, limit);
    return query(
        sql, afterId,
        [&](std::int64_t id, std::string_view url, std::int64_t time) {
            // A time too small to shift stays as small as it can be.
            take(id, url, time < INT64_MIN + From1601To1970 ? INT64_MIN : time - From1601To1970);
        },
        error, limit);
}

bool HistoryDatabase::forEachVisitedUrl(const UrlVisitor& take, std::string& error)
{
    const char* sql = m_family == BrowserFamily::Firefox
        ? "SELECT id, url FROM moz_places WHERE id IN (SELECT place_id FROM moz_historyvisits) ORDER BY id"
        : "SELECT id, url FROM urls WHERE id IN (SELECT url FROM visits) ORDER BY id";
    return query(sql, 0, [&](std::int64_t, std::string_view url, std::int64_t) { take(url); }, error);
}

bool HistoryDatabase::forEachBookmarkUrl(const UrlVisitor& take, std::string& error)
{
    if (m_family != BrowserFamily::Firefox)
        return true;
    // Type 1 is a bookmark; folders and separators have no page.
    return query("SELECT b.id, p.url FROM moz_bookmarks b JOIN moz_places p ON p.id = b.fk WHERE b.type = 1 "
                 "ORDER BY b.id",
                 0, [&](std::int64_t, std::string_view url, std::int64_t) { take(url); }, error);
}

} // namespace quillon::capture
