#include "capture/HistoryFollower.h"

#include "capture/BrowserCapture.h"
#include "capture/HistoryDatabase.h"
#include "capture/UrlToHost.h"

#include <algorithm>
#include <iostream>

namespace quillon::capture {

HistoryFollower::HistoryFollower(platform::FileSystem& fs, BrowserHistories histories, std::int64_t startMicros,
                                 Log log)
    : m_fs(fs)
    , m_histories(std::move(histories))
    , m_startMicros(startMicros)
    , m_log(log ? std::move(log) : Log([](const std::string& line) { std::cerr << line << '\n'; }))
{
    m_profiles = findProfiles(m_watched);
    m_followed.resize(m_profiles.size());
    m_watchedStamps = watchedStamps();
}

std::vector<platform::FileStamp> HistoryFollower::watchedStamps()
{
    std::vector<platform::FileStamp> stamps;
    stamps.reserve(m_watched.size());
    for (const std::string& path : m_watched)
        stamps.push_back(m_fs.stamp(path));
    return stamps;
}

void HistoryFollower::lookAgainIfChanged()
{
    if (m_histories.home.empty() || watchedStamps() == m_watchedStamps)
        return;
    std::vector<std::string> watched;
    std::vector<BrowserProfile> profiles = findProfiles(watched);
    std::vector<Followed> followed(profiles.size());
    for (std::size_t i = 0; i < profiles.size(); ++i) {
        for (std::size_t j = 0; j < m_profiles.size(); ++j) {
            if (m_profiles[j].historyFile() == profiles[i].historyFile())
                followed[i] = m_followed[j];
        }
    }
    m_profiles = std::move(profiles);
    m_followed = std::move(followed);
    m_watched = std::move(watched);
    m_watchedStamps = watchedStamps();
}

std::vector<BrowserProfile> HistoryFollower::findProfiles(std::vector<std::string>& watched)
{
    std::vector<BrowserProfile> foreign;
    std::vector<BrowserProfile> profiles = m_histories.current(m_fs, &watched, &foreign);
    for (const BrowserProfile& p : foreign)
        logOnce(p, p.historyFile() + ": " + ForeignProfileFolder);
    return profiles;
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
    lookAgainIfChanged();
    for (std::size_t i = 0; i < m_profiles.size(); ++i) {
        const BrowserProfile& p = m_profiles[i];
        if (!(p.family == BrowserFamily::Firefox ? firefox : chromium))
            continue;
        const Stamps now = stampsOf(p);
        if (!now.db.exists) {
            logOnce(p, "its history is gone");
            continue;
        }
        const Followed& f = m_followed[i];
        if ((f.read || f.failed) && now == f.seen)
            continue;
        read(p, m_followed[i], now, admit);
    }
}

void HistoryFollower::read(const BrowserProfile& p, Followed& f, const Stamps& now,
                           const std::function<void(std::string_view)>& admit)
{
    // A failure is not tried again until the files change: a damaged
    // history would otherwise be copied and opened at every tick.
    const auto failed = [&](const std::string& why) {
        f.seen = now;
        f.failed = true;
        logOnce(p, p.historyFile() + ": " + why);
    };
    if (m_histories.copyFolder.empty()) {
        failed("no private folder for copies of histories");
        return;
    }
    std::string error;
    const auto copy = HistoryCopy::make(m_fs, p.historyFile(), m_histories.copyFolder, error);
    const auto db = copy ? HistoryDatabase::open(copy->path(), p.family, error) : nullptr;
    if (!db) {
        failed(error);
        return;
    }
    // Where reading starts: after the last visit read when it is still
    // there as it was. Otherwise (the first read, a visit deleted, a history
    // emptied and numbered anew) from the first visit, but taking only those
    // made after the last one taken. Never a visit made before the start.
    std::int64_t after = 0;
    std::int64_t since = m_startMicros;
    if (f.read && f.lastId > 0) {
        const std::optional<std::int64_t> time = db->visitTime(f.lastId, error);
        if (time && *time == f.lastTime)
            after = f.lastId;
        else
            since = std::max(since, f.newest + 1);
    }
    std::int64_t last = after;
    std::int64_t lastTime = f.lastTime;
    std::int64_t newest = f.newest;
    const bool ok = db->forEachVisitAfter(
        after,
        [&](std::int64_t id, std::string_view url, std::int64_t micros) {
            last = id;
            lastTime = micros;
            newest = std::max(newest, micros);
            // Also a new row can hold an old visit: Chromium writes its
            // visits some seconds after the page loaded, so one made before
            // the start may arrive after it.
            if (micros >= since)
                admit(url);
        },
        error);
    if (!ok) {
        failed(error);
        return;
    }
    f.lastId = last;
    f.lastTime = lastTime;
    f.newest = newest;
    f.seen = now;
    f.read = true;
    f.failed = false;
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
