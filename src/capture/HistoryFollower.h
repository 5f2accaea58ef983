#pragma once
// Live capture from the browsers' own histories: each profile's database is
// watched by its file stamps, and when it changed, a private copy is read
// for the visits made since the last check. Visits from before the program
// started are never taken, whenever their profile was found: the imports
// are for those. Profiles appear and vanish while the program runs (the
// first run of a browser makes one): the lists of profiles are watched by
// their stamps too, and looked at again when they change.
//
// A history whose last visit read is gone (the person deleted it, or
// cleared the history) is read again, but only for visits made since the
// start and after the last one taken. A profile that cannot be read gives
// nothing, and is tried again only when its files change; why is written
// once to standard error, as is each profile left out as another user's
// (see findBrowserProfiles).

#include "capture/BrowserHistoryImports.h"
#include "capture/BrowserProfiles.h"
#include "capture/CaptureLookups.h"
#include "core/App.h"

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace quillon::capture {

class HistoryFollower {
public:
    using Log = std::function<void(const std::string& line)>;

    // histories: the profiles, or where to find them, and where the private
    // copies go (none: nothing is read); startMicros: the program's start,
    // in microseconds since 1970.
    HistoryFollower(platform::FileSystem& fs, BrowserHistories histories, std::int64_t startMicros, Log log = {});

    // The profiles followed now.
    const std::vector<BrowserProfile>& profiles() const { return m_profiles; }

    // One check of the enabled families: admit gets the URL of every new
    // visit, oldest first. A profile whose files did not change costs a stat
    // of each.
    void check(bool firefox, bool chromium, const std::function<void(std::string_view url)>& admit);

private:
    struct Stamps {
        platform::FileStamp db, wal, journal;
        bool operator==(const Stamps&) const = default;
    };
    struct Followed {
        Stamps seen;          // as last read, or as last failed
        bool read = false;    // read once at least
        bool failed = false;  // the last try failed: tried again when the files change
        std::int64_t lastId = 0;
        std::int64_t lastTime = 0; // of visit lastId: a history emptied since no longer has it
        std::int64_t newest = 0;   // the newest visit time read
    };
    Stamps stampsOf(const BrowserProfile& p);
    std::vector<platform::FileStamp> watchedStamps();
    // Finds the profiles again when their lists changed; those still there
    // keep what was read of them.
    void lookAgainIfChanged();
    // The profiles there are now, those left out noted.
    std::vector<BrowserProfile> findProfiles(std::vector<std::string>& watched);
    void read(const BrowserProfile& p, Followed& f, const Stamps& now,
              const std::function<void(std::string_view)>& admit);
    void logOnce(const BrowserProfile& p, const std::string& why);

    platform::FileSystem& m_fs;
    BrowserHistories m_histories;
    std::vector<BrowserProfile> m_profiles;
    std::vector<Followed> m_followed;
    std::vector<std::string> m_watched;
    std::vector<platform::FileStamp> m_watchedStamps;
    std::int64_t m_startMicros;
    Log m_log;
    std::set<std::string> m_logged;
};

// The history timer's tick: new visits of the enabled browsers are admitted
// as captured hosts, exactly as the capture timer admits a browser's page
// (answers that arrived first, lookups through lookups).
void TimerHistoryTimer(core::App& app, HistoryFollower& follower, CaptureLookups& lookups);

} // namespace quillon::capture
