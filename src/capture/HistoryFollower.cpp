#include "capture/HistoryFollower.h"

#include "capture/BrowserCapture.h"
#include "capture/HistoryDatabase.h"
#include "capture/UrlToHost.h"

#include <algorithm>
#include <iostream>

namespace quillon::capture {

HistoryFollower::HistoryFollower(platform::FileSystem& fs, std::vector<BrowserProfile> profiles,
                                 std::string copyFolder, std::int64_t startMicros, Log log)
    : m_fs(fs)
    , m_profiles(std::move(profiles))
    , m_followed(m_profiles.size())
    , m_copyFolder(std::move(copyFolder))
    , m_startMicros(startMicros)
    , m_log(log ? std::move(log) : Log([](const std::string& line) { std::cerr << line << '\n'; }))
{
}

HistoryFollower::Stamps HistoryFollower::stampsOf(const BrowserProfile& p)
{
    const std::string db = p.historyFile();
    return { m_fs.stamp(db), m_fs.stamp(db + "-wal"), m_fs.stamp(db + "-journal") };
}

void HistoryFollower::logOnce(const BrowserProfile& p, const std::string& why)
{
    const std::string line = "quillon: " + p.title() + ": " + why;
    if (m_logged.insert(line).second)
        m_log(line);
}

void HistoryFollower::check(bool firefox, bool chromium, const std::function<void(std::string_view)>& admit)
{
    for (std::size_t i = 0; i < m_profiles.size(); ++i) {
        const BrowserProfile& p = m_profiles[i];
        if (!(p.family == BrowserFamily::Firefox ? firefox : chromium))
            continue;
        const Stamps now = stampsOf(p);
        if (!now.db.exists) {
            logOnce(p, "its history is gone");
            continue;
        }
        if (m_followed[i].read && now == m_followed[i].seen)
            continue;
        read(p, m_followed[i], now, admit);
    }
}

void HistoryFollower::read(const BrowserProfile& p, Followed& f, const Stamps& now,
                           const std::function<void(std::string_view)>& admit)
{
    if (m_copyFolder.empty()) {
        logOnce(p, "no private folder for copies of histories");
        return;
    }
    std::string error;
    const auto copy = HistoryCopy::make(m_fs, p.historyFile(), m_copyFolder, error);
    const auto db = copy ? HistoryDatabase::open(copy->path(), p.family, error) : nullptr;
    if (!db) {
        logOnce(p, error);
        return;
    }
    // A history emptied since numbers its visits anew: when the last visit
    // read is no longer there as it was, every visit in it is new.
    std::int64_t after = 0;
    if (f.read && f.lastId > 0) {
        const std::optional<std::int64_t> time = db->visitTime(f.lastId, error);
        if (time && *time == f.lastTime)
            after = f.lastId;
    }
    const bool first = !f.read;
    std::int64_t last = after;
    std::int64_t lastTime = f.lastTime;
    const bool ok = db->forEachVisitAfter(
        after,
        [&](std::int64_t id, std::string_view url, std::int64_t micros) {
            last = id;
            lastTime = micros;
            // The first read takes only what was visited since the start.
            if (!first || micros >= m_startMicros)
                admit(url);
        },
        error);
    if (!ok) {
        logOnce(p, error);
        return;
    }
    f.lastId = last;
    f.lastTime = lastTime;
    f.seen = now;
    f.read = true;
}

void TimerHistoryTimer(core::App& app, HistoryFollower& follower, CaptureLookups& lookups)
{
    lookups.applyAnswers(app);
    const core::Settings& s = app.state.settings;
    const bool verifyNow = captureVerifyFlag(app);
    follower.check(s.CaptureFirefox, s.CaptureChromium, [&](std::string_view url) {
        if (const std::string host = webPageHost(url); !host.empty())
            lookups.admit(app, host, verifyNow);
    });
}

} // namespace quillon::capture
