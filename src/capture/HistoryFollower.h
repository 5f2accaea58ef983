#pragma once
// Live capture from the browsers' own histories: each profile's database is
// watched by its file stamps, and when it changed, a private copy is read
// for the visits made since the last check. Visits from before the program
// started are not taken: the imports are for those. A profile that cannot
// be read gives nothing; why is written once to standard error.

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

    // copyFolder: where the private copies go (empty: nothing is read);
    // startMicros: the program's start, in microseconds since 1970.
    HistoryFollower(platform::FileSystem& fs, std::vector<BrowserProfile> profiles, std::string copyFolder,
                    std::int64_t startMicros, Log log = {});

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
        Stamps seen;          // as last read
        bool read = false;    // read once at least
        std::int64_t lastId = 0;
        std::int64_t lastTime = 0; // of visit lastId: a history emptied since no longer has it
    };
    Stamps stampsOf(const BrowserProfile& p);
    void read(const BrowserProfile& p, Followed& f, const Stamps& now,
              const std::function<void(std::string_view)>& admit);
    void logOnce(const BrowserProfile& p, const std::string& why);

    platform::FileSystem& m_fs;
    std::vector<BrowserProfile> m_profiles;
    std::vector<Followed> m_followed;
    std::string m_copyFolder;
    std::int64_t m_startMicros;
    Log m_log;
    std::set<std::string> m_logged;
};

// The history timer's tick: new visits of the enabled browsers are admitted
// as captured hosts, exactly as the capture timer admits a browser's page
// (answers that arrived first, lookups through lookups).
void TimerHistoryTimer(core::App& app, HistoryFollower& follower, CaptureLookups& lookups);

} // namespace quillon::capture
