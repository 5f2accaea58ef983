#pragma once
// The profiles of the browsers people run on Linux: Firefox (also as a Snap
// or a Flatpak), and the Chromium family (Chromium, Google Chrome, Brave,
// Microsoft Edge, Vivaldi). Each profile keeps its history in one SQLite
// database; the program only ever reads private copies of it.

#include "platform/FileSystem.h"

#include <string>
#include <vector>

namespace quillon::capture {

enum class BrowserFamily { Firefox, Chromium };

struct BrowserProfile {
    BrowserFamily family = BrowserFamily::Firefox;
    std::string browser; // "Firefox", "Chromium", "Google Chrome", ...
    std::string name;    // the profile's name: "default-esr", "Default", "Profile 1"
    std::string folder;  // without a trailing "/"

    // places.sqlite or History.
    std::string historyFile() const;
    // The person's words for it: "Firefox (default-esr)".
    std::string title() const { return browser + " (" + name + ")"; }
};

// Every profile found under the home folder and the configuration folder
// ($XDG_CONFIG_HOME), Firefox's first, in a fixed order. Profiles whose
// history does not exist are left out.
std::vector<BrowserProfile> findBrowserProfiles(platform::FileSystem& fs, const std::string& home,
                                                const std::string& configHome);

} // namespace quillon::capture
