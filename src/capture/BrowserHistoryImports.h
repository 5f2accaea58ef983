#pragma once
// Imports from the browsers' own histories and bookmarks: every profile of
// the family is read (history from a private copy), each host once, and the
// hosts are admitted (each resolved) with the report of the hosts added.

#include "capture/BrowserProfiles.h"
#include "core/App.h"

#include <string>
#include <vector>

namespace quillon::capture {

// Where the profiles are and where private copies go.
struct BrowserHistories {
    BrowserHistories() = default;
    BrowserHistories(std::vector<BrowserProfile> given, std::string copies, std::string homeFolder = {},
                     std::string configFolder = {})
        : profiles(std::move(given))
        , copyFolder(std::move(copies))
        , home(std::move(homeFolder))
        , configHome(std::move(configFolder))
    {
    }

    // The profiles as given (tests), or as found at start-up.
    std::vector<BrowserProfile> profiles;
    // Empty when the private folder could not be made: nothing is read.
    std::string copyFolder;
    // Where profiles are looked for ($HOME, $XDG_CONFIG_HOME); empty: the
    // profiles above are all there are.
    std::string home;
    std::string configHome;

    // The profiles there are now (see findBrowserProfiles for watched and
    // foreign).
    std::vector<BrowserProfile> current(platform::FileSystem& fs, std::vector<std::string>* watched = nullptr,
                                        std::vector<BrowserProfile>* foreign = nullptr) const
    {
        return home.empty() ? profiles : findBrowserProfiles(fs, home, configHome, watched, foreign);
    }
};

// Why a profile's history gave nothing: "Cannot read the history "FILE" of
// Firefox (default-esr): REASON".
std::string unreadableHistory(const BrowserProfile& p, const std::string& file, const std::string& reason);

enum class BrowserImport { History, Bookmarks };

// Candidates from every profile of family found now, each host once (letter
// case ignored), in the order the profiles and their rows give them. Why a
// profile could not be read, or was left out as another user's, goes to
// errors, one sentence each.
void collectBrowserHosts(platform::FileSystem& fs, const BrowserHistories& histories, BrowserFamily family,
                         BrowserImport what, core::RecordList& candidates, std::vector<std::string>& errors);

// The import: what could not be read is reported as an error, and the hosts
// found are admitted with the report of those added.
void importFromBrowsers(core::App& app, const BrowserHistories& histories, BrowserFamily family, BrowserImport what);

// Said when the private folder for copies of histories could not be made.
inline constexpr const char* NoCopyFolder
    = "Quillon cannot read the browsers' histories: the private folder for copies of them could not be made "
      "(it must be a folder of your own that no one else may open).";

} // namespace quillon::capture
