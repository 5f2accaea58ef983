#pragma once
// A browser profile's history, read from a private copy: the database and
// its -wal or -journal are copied into a folder of the program's own and
// opened there, so that nothing in the browser's profile is ever opened,
// locked or written. Rows are read one by one, in bounded memory.

#include "capture/BrowserProfiles.h"
#include "platform/FileSystem.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

struct sqlite3;

namespace quillon::capture {

// A copy of a profile's history, removed with the object.
class HistoryCopy {
public:
    // Copies source and its companions into folder; nothing, with the
    // system's reason in error, when it cannot be copied.
    static std::unique_ptr<HistoryCopy> make(platform::FileSystem& fs, const std::string& source,
                                             const std::string& folder, std::string& error);
    ~HistoryCopy();
    HistoryCopy(const HistoryCopy&) = delete;
    HistoryCopy& operator=(const HistoryCopy&) = delete;

    const std::string& path() const { return m_path; }

private:
    HistoryCopy(platform::FileSystem& fs, std::string path);

    platform::FileSystem& m_fs;
    std::string m_path;
};

// Removes the copies a program that ended abruptly left in folder.
void removeLeftoverCopies(platform::FileSystem& fs, const std::string& folder);

class HistoryDatabase {
public:
    using UrlVisitor = std::function<void(std::string_view url)>;

    // Opens a copy as the family's history; nothing, with why in error, when
    // it is no database or not of the family's schema.
    static std::unique_ptr<HistoryDatabase> open(const std::string& path, BrowserFamily family, std::string& error);
    ~HistoryDatabase();
    HistoryDatabase(const HistoryDatabase&) = delete;
    HistoryDatabase& operator=(const HistoryDatabase&) = delete;

    // The time of visit id; nothing when there is no such visit.
    std::optional<std::int64_t> visitTime(std::int64_t id, std::string& error);
    // The newest visit's number, 0 without visits; -1 on failure.
    std::int64_t lastVisitId(std::string& error);
    // Microseconds since 1970 (Chromium counts from 1601; converted).
    using VisitVisitor = std::function<void(std::int64_t id, std::string_view url, std::int64_t unixMicros)>;
    // Each visit numbered above afterId, in number order, with its page's URL
    // and its time; at most limit of them (-1: all).
    bool forEachVisitAfter(std::int64_t afterId, const VisitVisitor& take, std::string& error,
                           std::int64_t limit = -1);
    // Each page visited at least once, once.
    bool forEachVisitedUrl(const UrlVisitor& take, std::string& error);
    // Each bookmarked page (Firefox keeps its bookmarks here).
    bool forEachBookmarkUrl(const UrlVisitor& take, std::string& error);

private:
    HistoryDatabase(sqlite3* db, BrowserFamily family);
    // Runs sql with up to two parameters; row gets columns 0 (integer),
    // 1 (text) and 2 (integer, 0 when absent).
    bool query(const char* sql, std::int64_t parameter, const VisitVisitor& row, std::string& error,
               std::int64_t second = -1);

    sqlite3* m_db;
    BrowserFamily m_family;
};

} // namespace quillon::capture
